#include "app/ui/MessageBoxes.h"

#include <QWidget>

#include "app/ui/Titles.h"
#include "base/ui/GuiThreadCall.h"
#include "base/ui/UiText.h"

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
    CallOnGuiThread(*this, abandon_.load(),
                    [this, message = FromCoreText(text), qtIcon = ToQtIcon(icon)] {
                        Present(message, qtIcon);
                    });
}

void CMessageBoxes::Present(const QString& text, QMessageBox::Icon icon) {
    if (presenter_) {
        presenter_(text, icon);
        return;
    }
    QMessageBox box(icon, QString::fromLatin1(AppTitle), text, QMessageBox::Ok, owner_.window());
    box.exec();
}
