#pragma once

#include <QAbstractScrollArea>
#include <QStringList>
#include <atomic>
#include <compare>
#include <cstdint>
#include <string>
#include <vector>

class CMessageLogStore;
class QMenu;

// The message log on screen: the lines of the document's store in a fixed-pitch
// font, one text line height per line, read-only. It scrolls by whole lines and
// follows the end of the log as text arrives. Text can be selected with the
// mouse and copied.
class CMessageLogView : public QAbstractScrollArea {
public:
    explicit CMessageLogView(const CMessageLogStore& store, QWidget* parent = nullptr);

    // From any thread, after text went into the store: the view catches up on
    // the GUI thread, at once when called there, otherwise soon after, once
    // for any number of calls in between.
    void ScheduleRefresh();

    // Takes the text line height from the font (first show, font changes).
    void TakeLineHeight();
    int LineHeight() const { return lineHeight_; }

    // Index of the line at the top of the client area.
    int FirstVisibleLine() const;
    // Lines that fit the client area whole.
    int WholeLinesVisible() const;
    // Wide enough for a full line of the log and the vertical scroll bar. The
    // view never grows wider: what stands beside it (the shortcut bar in the
    // main window's corner) then covers no text and not the scroll bar.
    int FullLineWidth() const;

    bool HasSelection() const { return anchor_ != caret_; }
    // The selected text, lines joined by "\n".
    QString SelectedText() const;
    void SelectAll();
    // Puts the selection on the clipboard; nothing when nothing is selected.
    void Copy();

    // The context menu: "Copy" (while text is selected) and "Select All". The
    // caller owns it.
    QMenu* CreateContextMenu();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct TextPos {
        int line = 0;
        int column = 0;
        auto operator<=>(const TextPos&) const = default;
    };

    void Refresh();
    void RefreshQueued();
    void UpdateScrollBars();
    void ScrollToEnd();
    TextPos PositionAt(const QPoint& viewportPoint) const;
    QStringList ShownText() const;
    int TextWidth() const;

    const CMessageLogStore& store_;
    std::atomic<bool> refreshQueued_{false};
    int lineHeight_ = 1;
    int lineCount_ = 0;
    std::uint64_t revision_ = 0;
    // The selection runs from anchor to caret, in either direction.
    TextPos anchor_;
    TextPos caret_;
    bool selecting_ = false;
};
