#include "base/ui/FileChooser.h"

#include <QFile>
#include <QFileDialog>

QStringList CFileChooser::NameFilters(std::string_view filter) {
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
            .split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        if (description.isEmpty())
            break;
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString shown = QLatin1Char('(') + patterns + QLatin1Char(')');
        filters << (description.endsWith(shown) ? description
                                                : description + QLatin1Char(' ') + shown);
    }
    return filters;
}

std::optional<std::string> CFileChooser::ChooseOpenFile(std::string_view defaultExtension,
                                                        std::string_view filter) {
    return Run(false, defaultExtension, filter);
}

std::optional<std::string> CFileChooser::ChooseSaveFile(std::string_view defaultExtension,
                                                        std::string_view filter) {
    return Run(true, defaultExtension, filter);
}

std::optional<std::string> CFileChooser::Run(bool save, std::string_view defaultExtension,
                                             std::string_view filter) {
    QFileDialog dialog(parent_);
    // QFileDialog asks before it replaces an existing file.
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFilters(filter));
    if (defaultExtension.starts_with('.'))
        defaultExtension.remove_prefix(1);
    dialog.setDefaultSuffix(QString::fromUtf8(defaultExtension.data(),
                                              static_cast<qsizetype>(defaultExtension.size())));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}
