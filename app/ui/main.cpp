#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/SimulatedRun.h"
#include "app/ui/AppIcon.h"
#include "app/ui/LaunchOptions.h"
#include "app/ui/Titles.h"
#include "app/ui/VantorApp.h"
#include "base/SettingsStore.h"
#include "base/SimulatorProcess.h"
#include "base/ui/UiText.h"

namespace {

// A start-up failure: told on standard error and, since the program is usually
// started from a desktop, in a box.
int Fail(const QString& message) {
    std::fprintf(stderr, "tundrix: %s\n", message.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, QString::fromLatin1(AppTitle), message);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // Before QApplication, so that --help and --version work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(LaunchUsage().toLocal8Bit().constData(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tundrix %s\n", TUNDRIX_VERSION);
            return 0;
        }
    }

    QApplication qtApp(argc, argv);
    QApplication::setWindowIcon(CreateAppIcon());
    // Ties the windows to the desktop entry tundrix.desktop (its icon and name).
    QGuiApplication::setDesktopFileName(QStringLiteral("tundrix"));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const LaunchOptions options = ParseLaunchOptions(arguments);
    if (!options.error.isEmpty()) {
        std::fputs(LaunchUsage().toLocal8Bit().constData(), stderr);
        Fail(options.error);
        return 2;
    }

    // Declared before the program object so that it outlives the link that talks to it.
    CSimulatorProcess simulator;
    std::string settingsPath;
    if (options.simulate) {
        const std::string program = CSimulatorProcess::FindProgram("tundrix-sim");
        if (program.empty())
            return Fail(QStringLiteral(
                "Cannot find the simulator tundrix-sim beside this program or on PATH."));
        if (!simulator.Start(program, SimulatorArguments(options.model), SimulatorServices()))
            return Fail(QStringLiteral("Cannot start the simulator %1: %2")
                            .arg(FromCoreText(program), FromCoreText(simulator.Error())));
        settingsPath = options.settingsPath.isEmpty() ? SimulatedSettingsPath()
                                                      : ToCoreText(options.settingsPath);
    } else {
        settingsPath = ResolveSettingsPath(ToCoreText(options.settingsPath));
    }

    CVantorApp app(settingsPath);
    if (options.simulate) {
        std::printf("Simulated controller, model %d: RS232 %s, LAN %s, GPIB address 12; "
                    "settings in %s\n",
                    options.model, simulator.Address("pty").c_str(),
                    simulator.Address("tcp").c_str(), settingsPath.c_str());
        std::fflush(stdout);
        // The values stay in memory for this run even when the file cannot be written.
        if (!PrepareSimulatedSettings(app.Settings(), simulator))
            std::fprintf(stderr, "tundrix: cannot write %s: %s\n", settingsPath.c_str(),
                         app.Settings().LastError().c_str());
    }

    app.InitInstance();
    return QApplication::exec();
}
