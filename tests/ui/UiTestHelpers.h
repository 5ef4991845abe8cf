#pragma once

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/SimulatedRun.h"
#include "app/ui/MainFrame.h"
#include "app/ui/VantorApp.h"
#include "app/ui/VantorView.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "base/WindowRect.h"

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

// Settings of a run on a serial line: RS232 on COM2, COM2 being `device`.
inline std::string WriteSerialSettings(const std::string& path, const std::string& device) {
    CSettingsStore settings(path);
    settings.WriteInt("CommunicationSetup", "CommPort", 1);
    settings.WriteInt("CommunicationSetup", "BaudRate", 0);
    settings.WriteString("SerialDevices", "COM2", device);
    return path;
}

// The simulated controller of one model on a pseudo-terminal.
inline std::unique_ptr<CSimulatorProcess> StartSimulator(int model) {
    auto simulator = std::make_unique<CSimulatorProcess>();
    if (!simulator->Start(TUNDRIX_SIM_PROGRAM, {"--pty", "--model", std::to_string(model)}))
        ADD_FAILURE() << "simulator: " << simulator->Error();
    return simulator;
}

// One run of the program up to the end of the view's first show, with the
// message boxes recorded instead of shown.
class ProgramRun {
public:
    explicit ProgramRun(const std::string& settingsPath)
        : app_(std::make_unique<CVantorApp>(settingsPath)) {
        app_->InitInstance();
        // Before the first show, which runs from the event loop.
        View().MessageBoxes().SetPresenter([this](const QString& text, QMessageBox::Icon icon) {
            boxes_.emplace_back(text, icon);
        });
        EXPECT_TRUE(QTest::qWaitFor([this] { return View().IsInitialised(); }));
    }

    CVantorApp& App() { return *app_; }
    CMainFrame& Frame() { return *app_->MainFrame(); }
    CVantorView& View() { return app_->MainFrame()->View(); }
    const std::vector<std::pair<QString, QMessageBox::Icon>>& Boxes() const { return boxes_; }

    // Opens every menu as the user would, so each command takes its enabled state.
    void OpenEveryMenu() {
        const auto menus = Frame().findChildren<QMenu*>();
        for (QMenu* menu : menus)
            Q_EMIT menu->aboutToShow();
    }
    bool Offered(MenuCommand command) {
        OpenEveryMenu();
        return Frame().CommandAction(command)->isEnabled();
    }

    // Ends the run as the program ends.
    void End() { app_.reset(); }

private:
    std::vector<std::pair<QString, QMessageBox::Icon>> boxes_;
    std::unique_ptr<CVantorApp> app_;
};
