#include "curves/dialogs/TWOPOINTS.h"

CTWOPOINTS::CTWOPOINTS(const ReferenceForm& form, IMessageBoxes& boxes, CalculatorActions actions,
                       QWidget* parent)
    : CReferencePointDlg(form, boxes, std::move(actions), parent) {
    setWindowTitle(QStringLiteral("Enter two reference points"));
    Arrange(false);
}
