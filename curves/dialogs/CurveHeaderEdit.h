#pragma once

#include <QDialog>
#include <QString>
#include <vector>

#include "curves/UnitCode.h"

class IMessageBoxes;
class QCheckBox;
class QComboBox;
class QLineEdit;

// "Edit Curve Header:": the user reviews a curve's header before it is sent or
// saved. The caller sets the header and the plot data before opening it and
// reads the fields back after "Accept"; "Abort" rejects it.
class CCurveHeaderEdit : public QDialog {
public:
    explicit CCurveHeaderEdit(IMessageBoxes& boxes, QWidget* parent = nullptr);

    // The unit list opens at the entry for `unit`; "Save as .crv file" is
    // disabled when the source is a ".crv" file.
    void SetHeader(const QString& name, const QString& type, float multiplier, UnitCode unit,
                   int count, bool sourceIsCrv);
    void SetSaveAsCrv(bool checked);
    // What "Display Curve" draws; without either array it shows "Null Pointer".
    void SetPlotData(const float* temperatures, const float* values, int count, UnitCode unit);

    QString Name() const;
    QString Type() const;
    // The multiplier as accepted.
    float Multiplier() const { return multiplier_; }
    // The text of the chosen unit: "LogOhm" for "LogOhms", the entry itself otherwise.
    QString UnitText() const;
    bool SaveAsCrv() const;

private:
    void OnAccept();
    void OnDisplayCurve();

    IMessageBoxes& boxes_;
    QLineEdit* name_;
    QComboBox* type_;
    QLineEdit* multiplierEdit_;
    QComboBox* unit_;
    QLineEdit* count_;
    QCheckBox* saveAsCrv_;
    float multiplier_ = 1.0f;
    bool hasPlot_ = false;
    std::vector<float> plotTemperatures_;
    std::vector<float> plotValues_;
    UnitCode plotUnit_ = UnitVolts;
};
