#include "app/ui/MessageBoxes.h"

#include <QApplication>
#include <QGridLayout>
#include <QSpacerItem>
#include <QThread>
#include <QWidget>

#include "app/ui/Titles.h"
#include "base/ui/FixedSizeWindow.h"
#include "base/ui/GuiThreadCall.h"
#include "base/ui/UiText.h"

namespace {

// A short text ("Upload Complete") makes a box narrower than its title, which
// the window manager then cuts short: the box's grid gets a row as wide as
// the title needs. The box sizes itself from its layout's minimum when shown.
void KeepTitleVisible(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    const QMargins margins = grid->contentsMargins();
    grid->addItem(new QSpacerItem(TitleBarWidth(box) - margins.left() - margins.right(), 0,
                                  QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

CMessageBoxes::CMessageBoxes(QWidget& owner) : owner_(owner) {}

QMessageBox::Icon CMessageBoxes::ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

void CMessageBoxes::ShowMessage(std::string_view text, MessageIcon icon) {
    // On the GUI thread a box answers what the user just did, in the window
    // where it was done; a worker's box concerns the link, which the main window owns.
    const bool fromGuiThread = QThread::currentThread() == thread();
    CallOnGuiThread(*this, abandon_.load(),
                    [this, message = FromCoreText(text), qtIcon = ToQtIcon(icon), fromGuiThread] {
                        QWidget* active = fromGuiThread ? QApplication::activeWindow() : nullptr;
                        Present(message, qtIcon,
                                active != nullptr && active->isVisible() ? active
                                                                         : owner_.window());
                    });
}

void CMessageBoxes::Present(const QString& text, QMessageBox::Icon icon, QWidget* parent) {
    lastParent_ = parent;
    if (presenter_) {
        presenter_(text, icon);
        return;
    }
    QMessageBox box(icon, QString::fromLatin1(AppTitle), text, QMessageBox::Ok, parent);
    KeepTitleVisible(box);
    box.exec();
}
