#pragma once

#include "curves/dialogs/ReferencePointDlg.h"

// "Enter a single reference point": the reference-point dialog of the one-point operations (300 K
// and 4.2 K): a caption set by the operation, "Voltage:" (volts, 0 to 3) and "Temperature:"
// (kelvin, 0 to 500).
class COnePoint : public CReferencePointDlg {
public:
    COnePoint(const ReferenceForm& form, IMessageBoxes& boxes, CalculatorActions actions,
              QWidget* parent = nullptr);
};
