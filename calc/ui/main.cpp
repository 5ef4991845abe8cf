// vaporix: the boiling temperature calculator.

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "calc/VaporixSetup.h"
#include "calc/ui/VaporixArt.h"
#include "calc/ui/VaporixDlg.h"

namespace {

constexpr const char* HelpText =
    "Usage: vaporix [--help] [--version]\n"
    "\n"
    "The boiling temperature of a pure liquid (water, ethyl alcohol, carbon\n"
    "dioxide, nitrogen, helium) at a vapor pressure, in a choice of pressure and\n"
    "temperature units. The three choices are kept between runs in\n"
    "$XDG_CONFIG_HOME/Arktronic/Vaporix.dat (by default ~/.config/Arktronic).\n"
    "\n"
    "  -h, --help   show this text and exit\n"
    "  --version    print the version and exit\n";

} // namespace

int main(int argc, char** argv) {
    // Before QApplication, so that both work without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(HelpText, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vaporix %s\n", TUNDRIX_VERSION);
            return 0;
        }
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vaporix"));
    QApplication::setWindowIcon(CreateVaporixIcon());
    // Ties the window to the desktop entry vaporix.desktop (its icon and name).
    QGuiApplication::setDesktopFileName(QStringLiteral("vaporix"));

    CVaporixDlg dialog(VaporixSetupPath());
    QObject::connect(&dialog, &QDialog::finished, &app, &QCoreApplication::quit);
    dialog.show();
    return app.exec();
}
