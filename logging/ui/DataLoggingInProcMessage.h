#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "logging/LoggingUi.h"

class IMessageBoxes;
class QLabel;
class QLineEdit;
class QPushButton;

// "Data Logging in progress Message": the modeless window of a run. It lists
// the recorded sources in three groups, the interval, the output file and the
// number of entries, and carries "Stop". The close box and Esc ask whether to
// stop the run or keep it running in the background, where the menu's "Start"
// and the shortcut bar's "Data Logging" find it again. Created once, hidden,
// by the main view.
class CDataLoggingInProcMessage : public QDialog, public IDataLoggingProgress {
public:
    // The output file text is at most this long when "Stop" reads it back.
    static constexpr int MaxFileLength = 100;

    CDataLoggingInProcMessage(IMessageBoxes& boxes, QWidget* parent = nullptr);

    // What "Stop" asks of the owner (UM_STOP_LOGGING), synchronously.
    void SetStopHandler(std::function<void()> handler) { stopHandler_ = std::move(handler); }

    // The answer to the close box's question.
    enum class CloseChoice { StopLogging, KeepRunning };
    // Replaces the question box: tests answer as the user would.
    using CloseQuestion = std::function<CloseChoice()>;
    void SetCloseQuestion(CloseQuestion question) { closeQuestion_ = std::move(question); }
    // The question as the user sees it.
    static constexpr const char* CloseQuestionText =
        "Data logging is still running.\n\nStop logging now, or keep it running in the "
        "background? \"Start\" in the Data Logging menu or the Data Logging button brings "
        "this window back.";

    void SetFields(const DataLoggingFields& fields) override;
    void ShowProgress() override;
    void SetEntries(std::string_view entries) override;
    void PressStop() override;

    QLabel* SourceLabel(int slot) const { return sources_.at(static_cast<std::size_t>(slot)); }
    QString IntervalText() const;
    QString OutputFileText() const;
    QString EntriesText() const;
    QPushButton* StopButton() const { return stop_; }

    // Esc and the close box: the question, then "Stop" or hidden.
    void reject() override;

private:
    void OnStop();
    CloseChoice AskOnClose();

    IMessageBoxes& boxes_;
    std::array<QLabel*, LogSourceCount> sources_{};
    QLabel* interval_;
    QLineEdit* outputFile_;
    QLabel* entries_;
    QPushButton* stop_;
    std::function<void()> stopHandler_;
    CloseQuestion closeQuestion_;
};
