#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "app/SettingsStore.h"
#include "app/WindowRect.h"

// Runs `inspect` on the next modal window to open, from the GUI thread's event
// loop, so a test can look at a box that blocks the code under test. `inspect`
// must close the window. Returns a flag that is set once it has run.
inline std::shared_ptr<bool> WhenModalOpens(std::function<void(QWidget&)> inspect) {
    auto seen = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, seen, inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        *seen = true;
        timer->stop();
        timer->deleteLater();
        inspect(*modal);
    });
    timer->start();
    return seen;
}

// Settings whose link opens nothing at start (GPIB opens on its first
// transaction), so no box interrupts a test that is about something else.
inline std::string WriteQuietSettings(const std::string& path) {
    CSettingsStore settings(path);
    settings.WriteInt("CommunicationSetup", "PortType", 2);
    return path;
}

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// What a later run would read from the file.
inline WindowRect StoredRect(const std::string& path, const char* section) {
    CSettingsStore settings(path);
    settings.Load();
    return ReadWindowRect(settings, section);
}
