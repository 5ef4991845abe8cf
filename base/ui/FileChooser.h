#pragma once

#include <QStringList>
#include <string>
#include <string_view>

#include "base/FileChooser.h"

class CSettingsStore;
class QWidget;

// The file open and save dialogs as real windows, modal over `parent`.
//
// Each dialog starts in the folder last used for its kind of file (its default
// extension), else in the folder last used for any file. The folders are kept
// in the settings section FolderSection, one key per extension ("crv") and
// LastFolderKey, apart from the instrument's own sections.
class CFileChooser : public IFileChooser {
public:
    static constexpr char FolderSection[] = "FileDialogFolders";
    static constexpr char LastFolderKey[] = "Last";

    // `folders` null: the store given to SetFolderStore, if any.
    explicit CFileChooser(QWidget* parent, CSettingsStore* folders = nullptr);

    // The application's settings, so that every chooser, wherever it is made,
    // remembers its folders; null forgets them.
    static void SetFolderStore(CSettingsStore* settings);

    std::optional<std::string> ChooseOpenFile(std::string_view defaultExtension,
                                              std::string_view filter) override;
    std::optional<std::string> ChooseSaveFile(std::string_view defaultExtension,
                                              std::string_view filter) override;
    void ProposeSaveName(std::string_view fileName) override;

    // The dialog's name filters for a filter in the "description|patterns|...||"
    // form: "Curve Files (.340)|*.340| All Files (*.*)|*.*||" gives
    // "Curve Files (.340) (*.340)" and "All Files (*.*)".
    static QStringList NameFilters(std::string_view filter);
    // The key under which a kind of file keeps its folder: the extension
    // without its dot, in lower case; "" has none of its own.
    static std::string FolderKey(std::string_view defaultExtension);

private:
    std::optional<std::string> Run(bool save, std::string_view defaultExtension,
                                   std::string_view filter);
    QString StartFolder(const std::string& key) const;
    void RememberFolder(const std::string& key, const QString& file);

    QWidget* parent_;
    CSettingsStore* folders_;
    std::string proposedName_;
};
