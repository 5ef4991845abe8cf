#pragma once

#include "curves/CurveHeaderDialog.h"

class IMessageBoxes;
class QWidget;

// The curve header dialog as the real window, modal over `parent`.
class CCurveHeaderDialog : public ICurveHeaderDialog {
public:
    CCurveHeaderDialog(IMessageBoxes& boxes, QWidget* parent) : boxes_(boxes), parent_(parent) {}

    bool EditCurveHeader(CurveHeader& header, const CurvePlotData* plot) override;

private:
    IMessageBoxes& boxes_;
    QWidget* parent_;
};
