#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

#include "app/MessageLogStore.h"
#include "app/ui/MessageLogView.h"
#include "ui/UiTestHelpers.h"

namespace {

class MessageLogViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Wide enough for 80 characters, so that no horizontal bar takes lines away.
        view_.resize(1000, 300);
        view_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
    }

    void Append(const std::string& text) {
        store_.Append(text);
        view_.ScheduleRefresh();
    }
    QStringList AllLines() {
        view_.SelectAll();
        return view_.SelectedText().split('\n');
    }
    QScrollBar& Bar() { return *view_.verticalScrollBar(); }
    // The middle of character `column` of the line `row` lines below the top.
    QPoint At(int row, int column) {
        const QFontMetrics metrics(view_.font());
        const int width = metrics.horizontalAdvance(QLatin1Char('M'));
        return {2 + column * width + width / 4, row * view_.LineHeight() + view_.LineHeight() / 2};
    }
    void Mouse(QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, view_.viewport()->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(view_.viewport(), &event);
    }

    CMessageLogStore store_;
    CMessageLogView view_{store_};
};

TEST_F(MessageLogViewTest, KeepsTheNewest2048LinesOldestFirstAndWrapsAt80Characters) {
    for (int i = 0; i < 2049; ++i)
        Append("line " + std::to_string(i) + "\n");
    QStringList lines = AllLines();
    ASSERT_EQ(lines.size(), 2048);
    EXPECT_EQ(lines.front(), "line 2");
    EXPECT_EQ(lines[2046], "line 2048");
    EXPECT_EQ(lines.back(), "");
    // The end is in view.
    EXPECT_EQ(Bar().maximum(), 2048 - view_.WholeLinesVisible());
    EXPECT_EQ(view_.FirstVisibleLine(), Bar().maximum());

    Append(std::string(200, 'x'));
    lines = AllLines();
    ASSERT_EQ(lines.size(), 2048);
    EXPECT_EQ(lines[2045].size(), 80);
    EXPECT_EQ(lines[2046].size(), 80);
    EXPECT_EQ(lines[2047].size(), 40);
}

TEST_F(MessageLogViewTest, ScrollsByWholeLinesAndFollowsTheEnd) {
    for (int i = 0; i < 100; ++i)
        Append("line " + std::to_string(i) + "\n");
    const int whole = view_.WholeLinesVisible();
    ASSERT_GT(whole, 3);
    EXPECT_EQ(whole, view_.viewport()->height() / view_.LineHeight());
    const int last = 101 - whole;
    ASSERT_EQ(view_.FirstVisibleLine(), last);

    QTest::keyClick(&view_, Qt::Key_Up);
    EXPECT_EQ(view_.FirstVisibleLine(), last - 1);
    QTest::keyClick(&view_, Qt::Key_PageUp);
    EXPECT_EQ(view_.FirstVisibleLine(), last - 1 - whole);
    QTest::keyClick(&view_, Qt::Key_PageDown);
    QTest::keyClick(&view_, Qt::Key_PageDown);
    EXPECT_EQ(view_.FirstVisibleLine(), last);
    QTest::keyClick(&view_, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(view_.FirstVisibleLine(), 0);
    QTest::keyClick(&view_, Qt::Key_PageUp);
    EXPECT_EQ(view_.FirstVisibleLine(), 0);

    // The top line is the one under the top of the client area.
    Bar().setValue(37);
    Mouse(QEvent::MouseButtonPress, At(0, 0), Qt::LeftButton);
    Mouse(QEvent::MouseMove, At(0, 7), Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, At(0, 7), Qt::NoButton);
    EXPECT_EQ(view_.SelectedText(), "line 37");

    // New lines bring the end back into view.
    Append("one more\n");
    EXPECT_EQ(view_.FirstVisibleLine(), last + 1);
}

TEST_F(MessageLogViewTest, TextFromAWorkerIsDrawnSoonAfter) {
    std::thread worker([&] {
        for (int i = 0; i < 300; ++i)
            Append("reading " + std::to_string(i) + "\n");
    });
    worker.join();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Bar().maximum() == 301 - view_.WholeLinesVisible(); }));
    EXPECT_EQ(view_.FirstVisibleLine(), Bar().maximum());
}

TEST_F(MessageLogViewTest, MouseSelectionIsCopiedByCtrlCAndTheContextMenu) {
    Append("alpha\nbravo\ncharlie");
    Bar().setValue(0);
    std::unique_ptr<QMenu> menu(view_.CreateContextMenu());
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "Copy");
    EXPECT_EQ(actions[1]->text(), "Select All");
    EXPECT_FALSE(actions[0]->isEnabled());

    // From the "p" of "alpha" down to the second "a" of "charlie", dragged upwards.
    Mouse(QEvent::MouseButtonPress, At(2, 3), Qt::LeftButton);
    Mouse(QEvent::MouseMove, At(1, 1), Qt::LeftButton);
    Mouse(QEvent::MouseMove, At(0, 2), Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, At(0, 2), Qt::NoButton);
    EXPECT_EQ(view_.SelectedText(), "pha\nbravo\ncha");

    QApplication::clipboard()->clear();
    QTest::keyClick(&view_, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "pha\nbravo\ncha");

    menu.reset(view_.CreateContextMenu());
    actions = menu->actions();
    EXPECT_TRUE(actions[0]->isEnabled());
    actions[1]->trigger();
    actions[0]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "alpha\nbravo\ncharlie");

    // A click without a drag selects nothing.
    Mouse(QEvent::MouseButtonPress, At(1, 1), Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, At(1, 1), Qt::NoButton);
    EXPECT_FALSE(view_.HasSelection());
}

} // namespace
