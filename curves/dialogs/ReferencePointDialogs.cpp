#include "curves/dialogs/ReferencePointDialogs.h"

#include <memory>

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
