#pragma once

#include <QDialog>
#include <vector>

#include "curves/ReferencePointDialog.h"
#include "curves/dialogs/CalculatorActions.h"

class IMessageBoxes;
class QLabel;
class QLineEdit;

// What the three reference-point dialogs share: rows of a caption, a
// temperature and the sensor's value, each field with its allowed range, and
// the buttons "OK", "Cancel" and "Vapor Pressure". OK refuses a field that is
// not a number or lies outside its range with the standard validation message
// and keeps the dialog open on that field. Cancel (also Escape and the close
// box) first closes the window titled "Quillmere".
class CReferencePointDlg : public QDialog {
public:
    // The form with the values as entered; they are taken on OK.
    const ReferenceForm& Form() const { return form_; }

    QLabel* Caption(int row) const { return rows_.at(static_cast<std::size_t>(row)).caption; }
    QLineEdit* TemperatureEdit(int row) const {
        return rows_.at(static_cast<std::size_t>(row)).temperature;
    }
    QLineEdit* ValueEdit(int row) const { return rows_.at(static_cast<std::size_t>(row)).value; }

    void reject() override;

protected:
    // Makes each row's caption and fields, showing the form's values.
    CReferencePointDlg(const ReferenceForm& form, IMessageBoxes& boxes, CalculatorActions actions,
                       QWidget* parent);

    // Places the rows under each other, each as its caption above a line
    // "Temperature:" field " K" and a line value label, field, unit label (the
    // value line first when `valueFirst`), the buttons beside them. OK reads
    // the fields in that order.
    void Arrange(bool valueFirst);

private:
    struct Row {
        QLabel* caption;
        QLineEdit* temperature;
        QLineEdit* value;
    };

    void OnOk();
    bool Take(QLineEdit* edit, const FieldRange& range, float& value);

    ReferenceForm form_;
    IMessageBoxes& boxes_;
    CalculatorActions actions_;
    std::vector<Row> rows_;
    bool valueFirst_ = false;
};
