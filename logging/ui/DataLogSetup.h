#pragma once

#include <QDialog>
#include <array>

#include "logging/LoggingUi.h"

class IMessageBoxes;
class QCheckBox;
class QLineEdit;
class QPushButton;

// "Data Logging Setup Dialog": the sixteen log sources as check boxes in their
// three groups, each enabled by its flag, "Select All", the "Interval :" field
// (0.1 to 120000 seconds), "Apply", "Start" and "Cancel". Confirmed by "Start"
// with at least one source; the mask and the interval are read afterwards,
// the interval also after "Cancel" (what "Apply" took in).
class CDataLogSetup : public QDialog {
public:
    // Every box starts unchecked and the mask at 0, whatever `setup.mask` holds.
    CDataLogSetup(const DataLogSetupData& setup, IMessageBoxes& boxes, QWidget* parent = nullptr);

    std::uint16_t Mask() const { return mask_; }
    double Interval() const { return interval_; }
    QCheckBox* CheckBox(int index) const { return boxes_.at(static_cast<std::size_t>(index)); }
    QLineEdit* IntervalField() const { return intervalField_; }

private:
    void OnToggled(int index, bool checked);
    void OnSelectAll();
    // Reads the field into the interval; false (and the user told) when it is refused.
    bool ApplyInterval();
    void OnStart();

    IMessageBoxes& messageBoxes_;
    std::array<int, LogSourceCount> enableFlags_;
    std::uint16_t mask_ = 0;
    double interval_;
    std::array<QCheckBox*, LogSourceCount> boxes_{};
    QLineEdit* intervalField_;
};
