#include "base/ui/FileChooser.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <cctype>

#include "base/SettingsStore.h"

namespace {

// The GUI thread's; set once at start.
CSettingsStore* folderStore = nullptr;

} // namespace

CFileChooser::CFileChooser(QWidget* parent, CSettingsStore* folders)
    : parent_(parent), folders_(folders != nullptr ? folders : folderStore) {}

void CFileChooser::SetFolderStore(CSettingsStore* settings) {
    folderStore = settings;
}

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

std::string CFileChooser::FolderKey(std::string_view defaultExtension) {
    if (defaultExtension.starts_with('.'))
        defaultExtension.remove_prefix(1);
    std::string key;
    for (char c : defaultExtension)
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

std::optional<std::string> CFileChooser::ChooseOpenFile(std::string_view defaultExtension,
                                                        std::string_view filter) {
    return Run(false, defaultExtension, filter);
}

std::optional<std::string> CFileChooser::ChooseSaveFile(std::string_view defaultExtension,
                                                        std::string_view filter) {
    return Run(true, defaultExtension, filter);
}

void CFileChooser::ProposeSaveName(std::string_view fileName) {
    proposedName_ = fileName;
}

QString CFileChooser::StartFolder(const std::string& key) const {
    if (folders_ == nullptr)
        return {};
    for (const std::string& candidate : {key, std::string(LastFolderKey)}) {
        if (candidate.empty())
            continue;
        const QString folder = QFile::decodeName(
            QByteArray::fromStdString(folders_->GetString(FolderSection, candidate, "")));
        if (!folder.isEmpty() && QDir(folder).exists())
            return folder;
    }
    return {};
}

void CFileChooser::RememberFolder(const std::string& key, const QString& file) {
    if (folders_ == nullptr)
        return;
    const std::string folder = QFile::encodeName(QFileInfo(file).absolutePath()).toStdString();
    // Not the instrument's settings: a folder that cannot be stored is only not remembered.
    if (!key.empty())
        folders_->WriteString(FolderSection, key, folder);
    folders_->WriteString(FolderSection, LastFolderKey, folder);
}

std::optional<std::string> CFileChooser::Run(bool save, std::string_view defaultExtension,
                                             std::string_view filter) {
    const std::string key = FolderKey(defaultExtension);
    QFileDialog dialog(parent_);
    // QFileDialog asks before it replaces an existing file.
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFilters(filter));
    if (defaultExtension.starts_with('.'))
        defaultExtension.remove_prefix(1);
    dialog.setDefaultSuffix(QString::fromUtf8(defaultExtension.data(),
                                              static_cast<qsizetype>(defaultExtension.size())));
    if (const QString folder = StartFolder(key); !folder.isEmpty())
        dialog.setDirectory(folder);
    // A proposal holds for the one save it was made for.
    if (save) {
        if (!proposedName_.empty())
            dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(proposedName_)));
        proposedName_.clear();
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    RememberFolder(key, chosen);
    return QFile::encodeName(chosen).toStdString();
}
