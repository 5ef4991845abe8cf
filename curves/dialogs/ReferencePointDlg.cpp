#include "curves/dialogs/ReferencePointDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/DecimalText.h"
#include "base/UserInterface.h"
#include "base/ui/FixedSizeWindow.h"
#include "base/ui/UiText.h"

namespace {

// The shortest text that reads back as the same float, so that a value shown
// again after a failed check is the value that was entered.
QString FieldText(float value) {
    return QString::fromStdString(FormatShortest(value));
}

QLineEdit* MakeField(float value, const char* name, std::size_t row) {
    auto* edit = new QLineEdit(FieldText(value));
    edit->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(name)).arg(row + 1));
    return edit;
}

} // namespace

CReferencePointDlg::CReferencePointDlg(const ReferenceForm& form, IMessageBoxes& boxes,
                                       CalculatorActions actions, QWidget* parent)
    : QDialog(parent), form_(form), boxes_(boxes), actions_(std::move(actions)) {
    for (std::size_t i = 0; i < form_.rows.size(); ++i) {
        const ReferenceRow& row = form_.rows[i];
        rows_.push_back({new QLabel(FromCoreText(row.caption)),
                         MakeField(row.temperature, "temperature", i),
                         MakeField(row.value, "value", i)});
    }
}

void CReferencePointDlg::Arrange(bool valueFirst) {
    valueFirst_ = valueFirst;
    auto* grid = new QGridLayout;
    int line = 0;
    const auto addField = [&](const std::string& label, QLineEdit* edit, const std::string& unit) {
        grid->addWidget(new QLabel(FromCoreText(label)), line, 0);
        grid->addWidget(edit, line, 1);
        grid->addWidget(new QLabel(FromCoreText(unit)), line++, 2);
    };
    for (const Row& row : rows_) {
        if (line > 0)
            grid->setRowMinimumHeight(line++, 8);
        grid->addWidget(row.caption, line++, 0, 1, 3);
        if (valueFirst)
            addField(form_.valueLabel, row.value, form_.unitLabel);
        addField("Temperature:", row.temperature, " K");
        if (!valueFirst)
            addField(form_.valueLabel, row.value, form_.unitLabel);
    }

    auto* ok = new QPushButton(QStringLiteral("OK"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    auto* vapor = new QPushButton(QStringLiteral("Vapor Pressure"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CReferencePointDlg::OnOk);
    connect(cancel, &QPushButton::clicked, this, &CReferencePointDlg::reject);
    connect(vapor, &QPushButton::clicked, this, [this] {
        if (actions_.launchVaporix)
            actions_.launchVaporix();
    });
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(vapor);
    buttons->addStretch();

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    MakeFixedSize(*this);

    // Shown again after a failed check: the field at fault takes the focus.
    if (form_.faultyField != ReferenceField::None && form_.faultyRow < rows_.size()) {
        const Row& faulty = rows_[form_.faultyRow];
        QLineEdit* edit =
            form_.faultyField == ReferenceField::Value ? faulty.value : faulty.temperature;
        edit->setFocus();
        edit->selectAll();
    }
}

void CReferencePointDlg::reject() {
    // Posted: the dialog does not wait for that window.
    if (actions_.closeQuillmere)
        actions_.closeQuillmere();
    QDialog::reject();
}

void CReferencePointDlg::OnOk() {
    std::vector<ReferenceRow> taken = form_.rows;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        ReferenceRow& row = taken[i];
        const bool ok = valueFirst_
                            ? Take(rows_[i].value, row.valueRange, row.value) &&
                                  Take(rows_[i].temperature, row.temperatureRange, row.temperature)
                            : Take(rows_[i].temperature, row.temperatureRange, row.temperature) &&
                                  Take(rows_[i].value, row.valueRange, row.value);
        if (!ok)
            return;
    }
    form_.rows = std::move(taken);
    accept();
}

bool CReferencePointDlg::Take(QLineEdit* edit, const FieldRange& range, float& value) {
    const std::string refusal = ParseReferenceField(ToCoreText(edit->text()), range, value);
    if (refusal.empty())
        return true;
    boxes_.ShowMessage(refusal, MessageIcon::Warning);
    edit->setFocus();
    edit->selectAll();
    return false;
}
