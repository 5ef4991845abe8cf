#pragma once

#include <QDialog>
#include <optional>

class IMessageBoxes;
class QComboBox;

// The PID table number dialog: an editable drop-down offering "1" to "6".
// Any integer typed in is accepted; "OK" on anything else asks for an integer.
class CPIDTblNumReq : public QDialog {
public:
    explicit CPIDTblNumReq(IMessageBoxes& boxes, QWidget* parent = nullptr);

    // The number as accepted; 1 until then.
    int TableNumber() const { return table_; }
    QComboBox* TableList() const { return list_; }

    // The whole text as an integer, blanks around it allowed.
    static std::optional<int> ReadInteger(const QString& text);

private:
    void OnOk();

    IMessageBoxes& boxes_;
    QComboBox* list_;
    int table_ = 1;
};
