#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "curves/StandardCurve.h"

class IMessageBoxes;
class IMessageLog;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// "Standard Curve": the user picks a standard sensor, its range and the
// number of breakpoints; the curve is computed at once and its largest
// interpolation error shown. "Display Curve" plots it, "Save..." logs it and
// writes it as ".crv" or ".340", "Download" hands it to the curve download.
class CStandardCurveDlg : public QDialog {
public:
    // Sends a curve to a user curve, named as the download names its file;
    // an empty action leaves "Download" disabled (no instrument to take it).
    using DownloadAction = std::function<void(const SensorCurve& curve, const std::string& name)>;

    CStandardCurveDlg(IMessageBoxes& boxes, IMessageLog& log, DownloadAction download,
                      QWidget* parent = nullptr);

    // The curve the fields give, or nothing when the standard refuses them.
    const std::optional<StandardCurve>& Curve() const { return curve_; }
    // What the dialog says about the curve: its error, or why there is none.
    QString ResultText() const;

private:
    void OnKindChanged();
    void Regenerate();
    void OnDisplayCurve();
    void OnSave();
    void OnDownload();
    const StandardKind& Kind() const;

    IMessageBoxes& boxes_;
    IMessageLog& log_;
    DownloadAction download_;
    QComboBox* kind_;
    QLineEdit* r0_;
    QLineEdit* from_;
    QLineEdit* to_;
    QSpinBox* points_;
    QComboBox* unit_;
    QLabel* result_;
    QPushButton* display_;
    QPushButton* save_;
    QPushButton* downloadButton_;
    std::optional<StandardCurve> curve_;
    bool filling_ = false;
};

// Opens the dialog modal over `parent` and runs it until "Close".
void RunStandardCurveDialog(IMessageBoxes& boxes, IMessageLog& log,
                            CStandardCurveDlg::DownloadAction download, QWidget* parent);
