#include "curves/dialogs/ThreePoints.h"

CThreePoints::CThreePoints(const ReferenceForm& form, IMessageBoxes& boxes,
                           CalculatorActions actions, QWidget* parent)
    : CReferencePointDlg(form, boxes, std::move(actions), parent) {
    setWindowTitle(QStringLiteral("Enter three reference points"));
    Arrange(false);
}
