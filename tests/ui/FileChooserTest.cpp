#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "base/SettingsStore.h"
#include "base/ui/FileChooser.h"
#include "support/TempDir.h"
#include "support/ui/QtDialogs.h"

namespace {

const char* const CrvFilter = "Curve Files (*.crv)|*.crv||";
const char* const ColonFilter = "Curve Files (.340)|*.340| All Files (*.*)|*.*||";

// What the dialog showed when it opened, and the name typed into it.
struct Seen {
    QString folder;
    QString name;
};

// Answers the next file dialog with `path` (an empty path cancels it).
std::shared_ptr<Seen> Answer(const std::string& path) {
    auto seen = std::make_shared<Seen>();
    WhenModal<QFileDialog>([seen, path](QFileDialog* dialog) {
        seen->folder = QDir(dialog->directory()).absolutePath();
        auto* nameField = dialog->findChild<QLineEdit*>("fileNameEdit");
        seen->name = nameField->text();
        if (path.empty()) {
            dialog->reject();
            return;
        }
        nameField->setText(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();
    });
    return seen;
}

std::string MakeFolder(const TempDir& dir, const char* name) {
    std::filesystem::create_directories(dir.File(name));
    return dir.File(name);
}

std::string Touch(const std::string& path) {
    std::ofstream(path) << "x\n";
    return path;
}

TEST(FileChooser, EachKindOfFileStartsInTheFolderLastUsedForIt) {
    TempDir dir;
    const std::string curves = MakeFolder(dir, "curves");
    const std::string published = MakeFolder(dir, "published");
    CSettingsStore settings(dir.File("Tundrix.INI"));
    CFileChooser files(nullptr, &settings);

    // A save that proposes a name offers it in the name field.
    files.ProposeSaveName("D6015.crv");
    auto seen = Answer(curves + "/D6015.crv");
    EXPECT_EQ(files.ChooseSaveFile("crv", CrvFilter), curves + "/D6015.crv");
    EXPECT_EQ(seen->name, "D6015.crv");

    // The next .crv dialog starts there, even an open one whose extension has a dot.
    Touch(curves + "/D6015.crv");
    seen = Answer(curves + "/D6015.crv");
    EXPECT_EQ(files.ChooseOpenFile(".CRV", CrvFilter), curves + "/D6015.crv");
    EXPECT_EQ(seen->folder.toStdString(), curves);
    EXPECT_EQ(seen->name, "") << "a proposal holds for one save only";

    // A kind with no folder of its own starts where the last file was chosen.
    const std::string source = Touch(published + "/sensor.340");
    seen = Answer(source);
    EXPECT_EQ(files.ChooseOpenFile(".340", ColonFilter), source);
    EXPECT_EQ(seen->folder.toStdString(), curves);

    // Each kind keeps its own; a cancelled dialog remembers nothing.
    seen = Answer("");
    EXPECT_EQ(files.ChooseSaveFile("crv", CrvFilter), std::nullopt);
    EXPECT_EQ(seen->folder.toStdString(), curves);
    seen = Answer("");
    EXPECT_EQ(files.ChooseOpenFile(".340", ColonFilter), std::nullopt);
    EXPECT_EQ(seen->folder.toStdString(), published);

    // Kept in a section of the program's own, for the next run.
    CSettingsStore reread(dir.File("Tundrix.INI"));
    reread.Load();
    EXPECT_EQ(reread.GetString("FileDialogFolders", "crv", ""), curves);
    EXPECT_EQ(reread.GetString("FileDialogFolders", "340", ""), published);
    EXPECT_EQ(reread.GetString("FileDialogFolders", "Last", ""), published);
    EXPECT_EQ(reread.Find("CommunicationSetup", "PortType"), std::nullopt);
}

TEST(FileChooser, TheApplicationsStoreServesEveryChooserAndAGoneFolderIsSkipped) {
    TempDir dir;
    const std::string gone = MakeFolder(dir, "gone");
    const std::string kept = MakeFolder(dir, "kept");
    CSettingsStore settings(dir.File("Tundrix.INI"));
    settings.WriteString("FileDialogFolders", "pid", gone);
    settings.WriteString("FileDialogFolders", "Last", kept);
    std::filesystem::remove(gone);

    CFileChooser::SetFolderStore(&settings);
    CFileChooser files(nullptr); // as an operation makes one
    auto seen = Answer(kept + "/table.pid");
    EXPECT_EQ(files.ChooseSaveFile("pid", "PID Files (*.pid)|*.pid||"), kept + "/table.pid");
    CFileChooser::SetFolderStore(nullptr);
    EXPECT_EQ(seen->folder.toStdString(), kept);
    EXPECT_EQ(settings.GetString("FileDialogFolders", "pid", ""), kept);
}

} // namespace
