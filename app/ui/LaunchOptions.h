#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

// What the command line of `tundrix` asks for.
struct LaunchOptions {
    static constexpr int DefaultModel = 28;
    static constexpr int FirstModel = 27;
    static constexpr int LastModel = 35;

    bool help = false;
    bool simulate = false;
    int model = DefaultModel;
    QString settingsPath; // empty: the usual search (TUNDRIX_SETTINGS, then the default file)
    QString error;        // why the command line was refused; empty when it is fine
};

// Reads the arguments after the program name, with Qt's own already taken out.
LaunchOptions ParseLaunchOptions(const QStringList& arguments);

QString LaunchUsage();
