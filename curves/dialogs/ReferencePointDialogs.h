#pragma once

#include "curves/ReferencePointDialog.h"
#include "curves/dialogs/CalculatorActions.h"

class IMessageBoxes;
class QWidget;

// The reference-point dialogs as the real windows, modal over `parent`: the
// form's kind picks COnePoint, CTWOPOINTS or CThreePoints.
class CReferencePointDialogs : public IReferencePointDialog {
public:
    CReferencePointDialogs(IMessageBoxes& boxes, CalculatorActions actions, QWidget* parent)
        : boxes_(boxes), actions_(std::move(actions)), parent_(parent) {}

    bool EnterReferencePoints(ReferenceForm& form) override;
    bool KeepNonpositiveCurve(std::string_view text) override;

private:
    IMessageBoxes& boxes_;
    CalculatorActions actions_;
    QWidget* parent_;
};
