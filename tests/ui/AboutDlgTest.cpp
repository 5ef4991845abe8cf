#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include "app/ui/AboutDlg.h"
#include "app/ui/MainFrame.h"
#include "app/ui/VantorApp.h"
#include "support/TempDir.h"
#include "ui/UiTestHelpers.h"

namespace {

TEST(AboutDlgTest, HelpAboutShowsTheVersionModallyAndOkClosesIt) {
    TempDir dir;
    WriteQuietSettings(dir.File("Tundrix.INI"));
    CVantorApp app(dir.File("Tundrix.INI"));
    app.InitInstance();

    QString caption;
    QStringList lines;
    bool readOnly = false;
    QStringList buttons;
    auto seen = WhenModalOpens([&](QWidget& modal) {
        caption = modal.windowTitle();
        if (auto* text = modal.findChild<QPlainTextEdit*>()) {
            lines = text->toPlainText().split('\n');
            readOnly = text->isReadOnly();
        }
        QAbstractButton* ok = nullptr;
        for (QAbstractButton* button : modal.findChild<QDialogButtonBox*>()->buttons()) {
            buttons << button->text();
            ok = button;
        }
        ok->click();
    });
    // Returns once the box is closed.
    app.MainFrame()->CommandAction(MenuCommand::About)->trigger();

    ASSERT_TRUE(*seen);
    EXPECT_EQ(caption, "About Borea Utility Software");
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], "Tundrix Utility Software");
    EXPECT_EQ(lines[1], "Version 12.0.0.0");
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(buttons, QStringList({"OK"}));
}

} // namespace
