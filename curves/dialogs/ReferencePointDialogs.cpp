#include "curves/dialogs/ReferencePointDialogs.h"

#include <QMessageBox>
#include <memory>

#include "base/ui/UiText.h"

#include "curves/dialogs/OnePoint.h"
#include "curves/dialogs/TWOPOINTS.h"
#include "curves/dialogs/ThreePoints.h"

bool CReferencePointDialogs::EnterReferencePoints(ReferenceForm& form) {
    std::unique_ptr<CReferencePointDlg> dialog;
    switch (form.kind) {
    case ReferenceDialogKind::OnePoint:
        dialog = std::make_unique<COnePoint>(form, boxes_, actions_, parent_);
        break;
    case ReferenceDialogKind::TwoPoints:
        dialog = std::make_unique<CTWOPOINTS>(form, boxes_, actions_, parent_);
        break;
    case ReferenceDialogKind::ThreePoints:
        dialog = std::make_unique<CThreePoints>(form, boxes_, actions_, parent_);
        break;
    }
    if (!dialog || dialog->exec() != QDialog::Accepted)
        return false;
    form = dialog->Form();
    return true;
}

bool CReferencePointDialogs::KeepNonpositiveCurve(std::string_view text) {
    const QString title = parent_ != nullptr ? parent_->window()->windowTitle() : QString();
    QMessageBox box(QMessageBox::Warning, title,
                    FromCoreText(text) + QStringLiteral("\n\nSave it all the same?"),
                    QMessageBox::Save | QMessageBox::Cancel, parent_);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Save;
}
