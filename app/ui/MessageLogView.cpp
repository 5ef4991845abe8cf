#include "app/ui/MessageLogView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QThread>
#include <algorithm>
#include <memory>

#include "app/MessageLogStore.h"
#include "base/ui/UiText.h"

namespace {

// Keeps the first character off the client area's edge.
constexpr int TextInset = 2;

// Rounds towards minus infinity, so a point just above the client area is the line above.
int FloorDiv(int value, int divisor) {
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

} // namespace

CMessageLogView::CMessageLogView(const CMessageLogStore& store, QWidget* parent)
    : QAbstractScrollArea(parent), store_(store) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(1);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    TakeLineHeight();
    Refresh();
}

void CMessageLogView::ScheduleRefresh() {
    if (QThread::currentThread() == thread()) {
        Refresh();
        return;
    }
    if (!refreshQueued_.exchange(true))
        QMetaObject::invokeMethod(this, &CMessageLogView::RefreshQueued, Qt::QueuedConnection);
}

void CMessageLogView::RefreshQueued() {
    // Cleared first: text that arrives while this runs asks for another pass.
    refreshQueued_ = false;
    Refresh();
}

void CMessageLogView::Refresh() {
    const std::uint64_t revision = store_.Revision();
    const int count = store_.LineCount();
    if (revision == revision_ && count == lineCount_)
        return;
    // A full ring drops its oldest line for each new one: a selection would now
    // point at other text.
    const bool shifted = count == CMessageLogStore::Capacity && revision != revision_;
    if (shifted) {
        anchor_ = caret_ = {};
        selecting_ = false;
    }
    const bool grew = count != lineCount_;
    revision_ = revision;
    lineCount_ = count;
    UpdateScrollBars();
    if (grew || shifted)
        ScrollToEnd();
    viewport()->update();
}

void CMessageLogView::TakeLineHeight() {
    lineHeight_ = std::max(1, fontMetrics().lineSpacing());
    horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
    UpdateScrollBars();
    viewport()->update();
}

int CMessageLogView::FirstVisibleLine() const {
    return verticalScrollBar()->value();
}

int CMessageLogView::WholeLinesVisible() const {
    return std::max(1, viewport()->height() / lineHeight_);
}

int CMessageLogView::TextWidth() const {
    const QString widest(static_cast<qsizetype>(CMessageLogStore::LineLength), QLatin1Char('M'));
    return 2 * TextInset + fontMetrics().horizontalAdvance(widest);
}

int CMessageLogView::FullLineWidth() const {
    return TextWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) +
           2 * frameWidth();
}

void CMessageLogView::UpdateScrollBars() {
    // Line units: every scroll step, page and thumb position is a whole line.
    const int whole = WholeLinesVisible();
    verticalScrollBar()->setPageStep(whole);
    verticalScrollBar()->setRange(0, std::max(0, lineCount_ - whole));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, TextWidth() - viewport()->width()));
}

void CMessageLogView::ScrollToEnd() {
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

QStringList CMessageLogView::ShownText() const {
    QStringList lines;
    for (const std::string& line : store_.Lines())
        lines << FromCoreText(line);
    return lines;
}

void CMessageLogView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QFontMetrics metrics = fontMetrics();
    const std::vector<std::string> lines = store_.Lines();
    const auto [from, to] = std::minmax(anchor_, caret_);
    const bool anySelection = HasSelection();
    const int left = TextInset - horizontalScrollBar()->value();
    const QColor textColour = palette().color(QPalette::Text);
    const QColor selectedColour = palette().color(QPalette::HighlightedText);

    int y = 0;
    for (int i = FirstVisibleLine(); i < static_cast<int>(lines.size()) && y < viewport()->height();
         ++i, y += lineHeight_) {
        const QString text = FromCoreText(lines[static_cast<std::size_t>(i)]);
        const int baseline = y + metrics.ascent();
        if (!anySelection || i < from.line || i > to.line) {
            painter.setPen(textColour);
            painter.drawText(left, baseline, text);
            continue;
        }
        const int length = static_cast<int>(text.size());
        const int start = i == from.line ? std::min(from.column, length) : 0;
        const int end = i == to.line ? std::min(to.column, length) : length;
        const int startX = left + metrics.horizontalAdvance(text.left(start));
        const int endX = left + metrics.horizontalAdvance(text.left(end));
        // A selected line break shows as one highlighted blank.
        const int breakWidth = i < to.line ? metrics.averageCharWidth() : 0;
        painter.fillRect(QRect(startX, y, endX - startX + breakWidth, lineHeight_),
                         palette().brush(QPalette::Highlight));
        painter.setPen(textColour);
        painter.drawText(left, baseline, text.left(start));
        painter.drawText(endX, baseline, text.mid(end));
        painter.setPen(selectedColour);
        painter.drawText(startX, baseline, text.mid(start, end - start));
    }
}

void CMessageLogView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const bool atEnd = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    UpdateScrollBars();
    if (atEnd)
        ScrollToEnd();
}

void CMessageLogView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        TakeLineHeight();
}

CMessageLogView::TextPos CMessageLogView::PositionAt(const QPoint& viewportPoint) const {
    const std::vector<std::string> lines = store_.Lines();
    const int line = std::clamp(FirstVisibleLine() + FloorDiv(viewportPoint.y(), lineHeight_), 0,
                                static_cast<int>(lines.size()) - 1);
    const QString text = FromCoreText(lines[static_cast<std::size_t>(line)]);
    const int x = viewportPoint.x() - TextInset + horizontalScrollBar()->value();
    const QFontMetrics metrics = fontMetrics();
    int advance = 0;
    for (int column = 0; column < text.size(); ++column) {
        const int width = metrics.horizontalAdvance(text.at(column));
        if (x < advance + width / 2)
            return {line, column};
        advance += width;
    }
    return {line, static_cast<int>(text.size())};
}

QString CMessageLogView::SelectedText() const {
    if (!HasSelection())
        return {};
    const QStringList lines = ShownText();
    const auto [from, to] = std::minmax(anchor_, caret_);
    QStringList parts;
    for (int i = from.line; i <= to.line && i < lines.size(); ++i) {
        const QString& text = lines.at(i);
        const int length = static_cast<int>(text.size());
        const int start = i == from.line ? std::min(from.column, length) : 0;
        const int end = i == to.line ? std::min(to.column, length) : length;
        parts << text.mid(start, end - start);
    }
    return parts.join(QLatin1Char('\n'));
}

void CMessageLogView::SelectAll() {
    const QStringList lines = ShownText();
    anchor_ = {};
    caret_ = {static_cast<int>(lines.size()) - 1, static_cast<int>(lines.constLast().size())};
    viewport()->update();
}

void CMessageLogView::Copy() {
    if (HasSelection())
        QApplication::clipboard()->setText(SelectedText());
}

QMenu* CMessageLogView::CreateContextMenu() {
    auto* menu = new QMenu(this);
    QAction* copy = menu->addAction(QStringLiteral("Copy"), this, &CMessageLogView::Copy);
    copy->setEnabled(HasSelection());
    menu->addAction(QStringLiteral("Select All"), this, &CMessageLogView::SelectAll);
    return menu;
}

void CMessageLogView::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(CreateContextMenu());
    menu->exec(event->globalPos());
}

void CMessageLogView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        Copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    } else {
        // Line and page up and down, through the scroll bar in its line units.
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void CMessageLogView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    caret_ = PositionAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = caret_;
    selecting_ = true;
    viewport()->update();
}

void CMessageLogView::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_ || !(event->buttons() & Qt::LeftButton))
        return;
    QPoint point = event->position().toPoint();
    // Dragging past the top or bottom edge scrolls a line at a time.
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() >= viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    point.setY(std::clamp(point.y(), 0, std::max(0, viewport()->height() - 1)));
    caret_ = PositionAt(point);
    viewport()->update();
}

void CMessageLogView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !selecting_)
        return;
    selecting_ = false;
    QClipboard* clipboard = QApplication::clipboard();
    if (HasSelection() && clipboard->supportsSelection())
        clipboard->setText(SelectedText(), QClipboard::Selection);
}
