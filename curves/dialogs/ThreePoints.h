#pragma once

#include "curves/dialogs/ReferencePointDlg.h"

// "Enter three reference points": the reference-point dialog of the diode three-point operation:
// rows close to 4.2 K, 77 K and 300 K.
class CThreePoints : public CReferencePointDlg {
public:
    CThreePoints(const ReferenceForm& form, IMessageBoxes& boxes, CalculatorActions actions,
                 QWidget* parent = nullptr);
};
