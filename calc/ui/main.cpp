// vaporix: the boiling temperature calculator.

#include <QApplication>

#include "calc/VaporixSetup.h"
#include "calc/ui/VaporixArt.h"
#include "calc/ui/VaporixDlg.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vaporix"));
    QApplication::setWindowIcon(CreateVaporixIcon());

    CVaporixDlg dialog(VaporixSetupPath());
    QObject::connect(&dialog, &QDialog::finished, &app, &QCoreApplication::quit);
    dialog.show();
    return app.exec();
}
