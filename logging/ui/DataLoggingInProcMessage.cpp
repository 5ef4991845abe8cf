#include "logging/ui/DataLoggingInProcMessage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/UserInterface.h"
#include "base/ui/FieldWidth.h"
#include "base/ui/FixedSizeWindow.h"
#include "base/ui/UiText.h"

namespace {

constexpr std::array<const char*, 3> GroupCaptions{
    "Logging Input Channels:", "Logging Output Channels:", "Logging Control Setpoints:"};
// The output file field is never narrower than this.
constexpr int OutputFileMinimumWidth = 320;

} // namespace

CDataLoggingInProcMessage::CDataLoggingInProcMessage(IMessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), boxes_(boxes), interval_(new QLabel), outputFile_(new QLineEdit),
      entries_(new QLabel), stop_(new QPushButton(QStringLiteral("Stop"))) {
    setWindowTitle(QStringLiteral("Data Logging in progress Message"));
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    std::array<QGridLayout*, 3> grids{};
    for (std::size_t g = 0; g < GroupCaptions.size(); ++g) {
        auto* group = new QGroupBox(QString::fromLatin1(GroupCaptions[g]));
        grids[g] = new QGridLayout(group);
        grids[g]->setColumnMinimumWidth(0, 130);
        grids[g]->setColumnMinimumWidth(1, 130);
        layout->addWidget(group);
    }
    for (int slot = 0; slot < LogSourceCount; ++slot) {
        auto* label = new QLabel(QStringLiteral("Source %1").arg(slot + 1));
        sources_[static_cast<std::size_t>(slot)] = label;
        // Two a row, odd numbers on the left.
        const int group = LogSourceGroupOf(slot);
        const int position = slot - LogSourceGroupStart[static_cast<std::size_t>(group)];
        grids[static_cast<std::size_t>(group)]->addWidget(label, position / 2, position % 2);
    }

    outputFile_->setReadOnly(true);
    outputFile_->setMinimumWidth(OutputFileMinimumWidth);
    auto* details = new QGridLayout;
    details->addWidget(new QLabel(QStringLiteral("At interval :")), 0, 0);
    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(interval_);
    intervalRow->addWidget(new QLabel(QStringLiteral("sec")));
    intervalRow->addStretch();
    details->addLayout(intervalRow, 0, 1);
    details->addWidget(new QLabel(QStringLiteral("Output to File :")), 1, 0);
    details->addWidget(outputFile_, 1, 1);
    details->addWidget(new QLabel(QStringLiteral("Number of entries :")), 2, 0);
    details->addWidget(entries_, 2, 1);
    layout->addLayout(details);

    stop_->setDefault(true);
    stop_->setAutoDefault(true);
    connect(stop_, &QPushButton::clicked, this, &CDataLoggingInProcMessage::OnStop);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(stop_);
    buttons->addStretch();
    layout->addLayout(buttons);
    MakeFixedSize(*this);
}

void CDataLoggingInProcMessage::SetFields(const DataLoggingFields& fields) {
    for (std::size_t slot = 0; slot < sources_.size(); ++slot)
        sources_[slot]->setText(FromCoreText(fields.sources[slot]));
    interval_->setText(FromCoreText(fields.interval));
    const QString path = FromCoreText(fields.outputFile);
    outputFile_->setText(path);
    // The window widens to show the whole path, up to the longest one "Stop"
    // takes; a longer one scrolls, and the field's tip holds it whole.
    const int longest = FieldWidthFor(*outputFile_, QString(MaxFileLength, QLatin1Char('x')));
    outputFile_->setMinimumWidth(
        std::clamp(FieldWidthFor(*outputFile_, path), OutputFileMinimumWidth, longest));
    outputFile_->setToolTip(path);
    outputFile_->setCursorPosition(0);
    entries_->setText(FromCoreText(fields.entries));
}

void CDataLoggingInProcMessage::ShowProgress() {
    show();
    raise();
}

void CDataLoggingInProcMessage::SetEntries(std::string_view entries) {
    entries_->setText(FromCoreText(entries));
}

void CDataLoggingInProcMessage::PressStop() {
    OnStop();
}

QString CDataLoggingInProcMessage::IntervalText() const {
    return interval_->text();
}

QString CDataLoggingInProcMessage::OutputFileText() const {
    return outputFile_->text();
}

QString CDataLoggingInProcMessage::EntriesText() const {
    return entries_->text();
}

void CDataLoggingInProcMessage::reject() {
    if (AskOnClose() == CloseChoice::StopLogging)
        OnStop();
    else
        hide();
}

CDataLoggingInProcMessage::CloseChoice CDataLoggingInProcMessage::AskOnClose() {
    if (closeQuestion_)
        return closeQuestion_();
    QMessageBox box(QMessageBox::Question, windowTitle(), QString::fromLatin1(CloseQuestionText),
                    QMessageBox::NoButton, this);
    QPushButton* stop = box.addButton(QStringLiteral("Stop Logging"), QMessageBox::DestructiveRole);
    QPushButton* keep = box.addButton(QStringLiteral("Keep Running"), QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == stop ? CloseChoice::StopLogging : CloseChoice::KeepRunning;
}

void CDataLoggingInProcMessage::OnStop() {
    if (outputFile_->text().size() > MaxFileLength) {
        boxes_.ShowMessage("Enter no more than " + std::to_string(MaxFileLength) + " characters.",
                           MessageIcon::Warning);
        outputFile_->setFocus();
    } else {
        hide();
    }
    // The run stops in every case.
    if (stopHandler_)
        stopHandler_();
}
