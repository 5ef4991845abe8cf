// tundrix-icons: writes the utility's and the calculator's icons, drawn in
// code, as the PNG files of the hicolor icon theme.
//   tundrix-icons FOLDER SIZE...   writes FOLDER/SIZExSIZE/apps/{tundrix,vaporix}.png
// Exit status 0, or 1 with the cause on standard error.

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>
#include <utility>

#include "app/ui/AppIcon.h"
#include "calc/ui/VaporixArt.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tundrix-icons FOLDER SIZE...\n");
        return 1;
    }
    // Drawing needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        bool isNumber = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&isNumber);
        if (!isNumber || size < 1 || size > 1024) {
            std::fprintf(stderr, "tundrix-icons: %s is no icon size\n", argv[i]);
            return 1;
        }
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (!QDir().mkpath(apps)) {
            std::fprintf(stderr, "tundrix-icons: cannot create %s\n", qPrintable(apps));
            return 1;
        }
        const std::pair<const char*, QPixmap> icons[] = {{"tundrix", DrawAppIcon(size)},
                                                         {"vaporix", DrawVaporixIcon(size)}};
        for (const auto& [name, pixmap] : icons) {
            const QString file = QStringLiteral("%1/%2.png").arg(apps, QLatin1String(name));
            if (!pixmap.save(file, "PNG")) {
                std::fprintf(stderr, "tundrix-icons: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
