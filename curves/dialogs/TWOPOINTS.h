#pragma once

#include "curves/dialogs/ReferencePointDlg.h"

// "Enter two reference points": the reference-point dialog of the diode and platinum two-point
// operations: two rows whose captions, value labels and ranges the operation sets.
class CTWOPOINTS : public CReferencePointDlg {
public:
    CTWOPOINTS(const ReferenceForm& form, IMessageBoxes& boxes, CalculatorActions actions,
               QWidget* parent = nullptr);
};
