#include "curves/dialogs/OnePoint.h"

COnePoint::COnePoint(const ReferenceForm& form, IMessageBoxes& boxes, CalculatorActions actions,
                     QWidget* parent)
    : CReferencePointDlg(form, boxes, std::move(actions), parent) {
    setWindowTitle(QStringLiteral("Enter a single reference point"));
    Arrange(true);
}
