#pragma once

#include "curves/TableNumberDialogs.h"

class IMessageBoxes;
class QWidget;

// The table number dialogs as the real windows, modal over `parent`.
class CTableNumberDialogs : public ITableNumberDialogs {
public:
    CTableNumberDialogs(IMessageBoxes& boxes, QWidget* parent) : boxes_(boxes), parent_(parent) {}

    std::optional<int>
    AskUserCurveNumber(const std::array<std::string, UserCurves>& replies) override;
    std::optional<int> AskPIDTableNumber() override;

private:
    IMessageBoxes& boxes_;
    QWidget* parent_;
};
