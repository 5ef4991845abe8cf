#include "app/ui/LaunchOptions.h"

namespace {

const QLatin1String SimulateWithModel("--simulate=");
const QLatin1String SettingsWithFile("--settings=");

void ParseModel(const QString& text, LaunchOptions& options) {
    bool isNumber = false;
    const int model = text.toInt(&isNumber);
    if (!isNumber || model < LaunchOptions::FirstModel || model > LaunchOptions::LastModel) {
        options.error = QStringLiteral("--simulate: the model code must be %1 to %2, not \"%3\"")
                            .arg(LaunchOptions::FirstModel)
                            .arg(LaunchOptions::LastModel)
                            .arg(text);
        return;
    }
    options.model = model;
}

} // namespace

LaunchOptions ParseLaunchOptions(const QStringList& arguments) {
    LaunchOptions options;
    for (qsizetype i = 0; i < arguments.size() && options.error.isEmpty(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--simulate")) {
            options.simulate = true;
        } else if (argument.startsWith(SimulateWithModel)) {
            options.simulate = true;
            ParseModel(argument.mid(SimulateWithModel.size()), options);
        } else if (argument == QLatin1String("--settings")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                options.error = QStringLiteral("--settings needs a file name");
            else
                options.settingsPath = arguments[++i];
        } else if (argument.startsWith(SettingsWithFile)) {
            options.settingsPath = argument.mid(SettingsWithFile.size());
            if (options.settingsPath.isEmpty())
                options.error = QStringLiteral("--settings needs a file name");
        } else {
            options.error = QStringLiteral("Unknown argument \"%1\"").arg(argument);
        }
    }
    return options;
}

QString LaunchUsage() {
    return QStringLiteral(
               "Usage: tundrix [--simulate[=MODEL]] [--settings FILE]\n"
               "\n"
               "  --simulate[=MODEL]  start a simulated controller (model code %1 to %2,\n"
               "                      default %3) on a pseudo-terminal and connect to it;\n"
               "                      settings come from a file of their own unless\n"
               "                      --settings is given\n"
               "  --settings FILE     read and write settings in FILE instead of\n"
               "                      $TUNDRIX_SETTINGS or ~/.config/Arktronic/Tundrix.INI\n"
               "  --help              show this text\n"
               "  --version           print the version and exit\n")
        .arg(LaunchOptions::FirstModel)
        .arg(LaunchOptions::LastModel)
        .arg(LaunchOptions::DefaultModel);
}
