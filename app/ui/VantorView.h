#pragma once

#include <QWidget>
#include <memory>
#include <mutex>

#include "app/UserInterface.h"
#include "app/ui/MessageBoxes.h"
#include "app/ui/TransferProgress.h"

class CSettingsStore;
class CVantorCore;
class QPlainTextEdit;

// The main frame's client area. It shows the message log and holds the core,
// which owns the link, the transaction mutex, the events and the program-wide
// flags; the view gives the core its message boxes, log and progress box.
class CVantorView : public QWidget, public IMessageLog {
public:
    explicit CVantorView(CSettingsStore& settings, QWidget* parent = nullptr);
    ~CVantorView() override;

    CVantorCore& Core() { return *core_; }
    CMessageBoxes& MessageBoxes() { return boxes_; }
    CTransferProgress& TransferProgress() { return progress_; }

    // From any thread. Texts appear in the order of the calls; a worker's text is
    // drawn by the GUI thread soon after, several at once when they come fast.
    void AppendLog(std::string_view text) override;
    QString LogText() const;

    // True once the first-show steps have run.
    bool IsInitialised() const { return initialised_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitialUpdate();
    void FlushLog();
    void AppendToLog(const QString& text);

    QPlainTextEdit* log_;
    CMessageBoxes boxes_;
    CTransferProgress progress_;
    std::unique_ptr<CVantorCore> core_;
    std::mutex pendingMutex_;
    QString pendingLog_; // appended but not yet drawn
    bool firstShowQueued_ = false;
    bool initialised_ = false;
};
