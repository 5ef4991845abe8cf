#include "logging/ui/DataLogSetup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/UserInterface.h"
#include "base/ui/FixedSizeWindow.h"
#include "base/ui/UiText.h"
#include "logging/LogFormat.h"

namespace {

constexpr std::array<const char*, 3> GroupTitles{"Input Channels", "Output Channels",
                                                 "Loop Setpoints"};

} // namespace

CDataLogSetup::CDataLogSetup(const DataLogSetupData& setup, IMessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), messageBoxes_(boxes), enableFlags_(setup.enableFlags),
      interval_(setup.interval), intervalField_(new QLineEdit) {
    setWindowTitle(QStringLiteral("Data Logging Setup Dialog"));

    auto* groups = new QHBoxLayout;
    std::array<QGridLayout*, 3> grids{};
    for (std::size_t g = 0; g < GroupTitles.size(); ++g) {
        auto* group = new QGroupBox(QString::fromLatin1(GroupTitles[g]));
        grids[g] = new QGridLayout(group);
        groups->addWidget(group, 0, Qt::AlignTop);
    }
    for (int i = 0; i < LogSourceCount; ++i) {
        const std::size_t k = static_cast<std::size_t>(i);
        auto* box = new QCheckBox(FromCoreText(LogSources[k].checkText));
        box->setEnabled(enableFlags_[k] != 0);
        connect(box, &QCheckBox::toggled, this, [this, i](bool on) { OnToggled(i, on); });
        boxes_[k] = box;
        // Channels in two columns of four, outputs and set points in one column.
        const int group = LogSourceGroupOf(i);
        const int position = i - LogSourceGroupStart[static_cast<std::size_t>(group)];
        if (group == 0)
            grids[0]->addWidget(box, position % 4, position / 4);
        else
            grids[static_cast<std::size_t>(group)]->addWidget(box, position, 0);
    }

    auto* selectAll = new QPushButton(QStringLiteral("Select All"));
    connect(selectAll, &QPushButton::clicked, this, &CDataLogSetup::OnSelectAll);
    intervalField_->setText(FromCoreText(IntervalFieldText(interval_)));
    auto* apply = new QPushButton(QStringLiteral("Apply"));
    connect(apply, &QPushButton::clicked, this, [this] { ApplyInterval(); });
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(selectAll);
    intervalRow->addSpacing(24);
    intervalRow->addWidget(new QLabel(QStringLiteral("Interval :")));
    intervalRow->addWidget(intervalField_);
    intervalRow->addWidget(new QLabel(QStringLiteral("sec")));
    intervalRow->addWidget(apply);
    intervalRow->addStretch();

    auto* start = new QPushButton(QStringLiteral("Start"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    start->setDefault(true);
    connect(start, &QPushButton::clicked, this, &CDataLogSetup::OnStart);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(intervalRow);
    layout->addLayout(buttons);
    MakeFixedSize(*this);
}

void CDataLogSetup::OnToggled(int index, bool checked) {
    const auto bit = static_cast<std::uint16_t>(1u << index);
    mask_ = static_cast<std::uint16_t>(checked ? mask_ | bit : mask_ & ~bit);
}

void CDataLogSetup::OnSelectAll() {
    for (int i = 0; i < LogSourceCount; ++i)
        if (enableFlags_[static_cast<std::size_t>(i)] != 0)
            boxes_[static_cast<std::size_t>(i)]->setChecked(true);
}

bool CDataLogSetup::ApplyInterval() {
    const std::string refusal = ParseLoggingInterval(ToCoreText(intervalField_->text()), interval_);
    if (refusal.empty())
        return true;
    messageBoxes_.ShowMessage(refusal, MessageIcon::Warning);
    intervalField_->setFocus();
    intervalField_->selectAll();
    return false;
}

void CDataLogSetup::OnStart() {
    if (mask_ == 0) {
        messageBoxes_.ShowMessage("Please make channel selection as data source.",
                                  MessageIcon::Information);
        return;
    }
    if (ApplyInterval())
        accept();
}
