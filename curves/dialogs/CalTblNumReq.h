#pragma once

#include <QDialog>
#include <array>

class QComboBox;

// The user curve number dialog: the instrument's text for each of its eight
// user curves in a drop-down, the first selected on opening. The chosen
// curve is its position + 1.
class CCalTblNumReq : public QDialog {
public:
    static constexpr int UserCurves = 8;

    explicit CCalTblNumReq(QWidget* parent = nullptr);

    // The replies to "SENSORIX? %d" for user curves 1..8, in order.
    void SetReplies(const std::array<QString, UserCurves>& replies);
    // 1..8; 1 until the user chooses another.
    int CurveNumber() const { return curve_; }
    QComboBox* CurveList() const { return list_; }

private:
    QComboBox* list_;
    int curve_ = 1;
};
