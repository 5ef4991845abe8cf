#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "app/ui/TfrDlg.h"
#include "base/UserInterface.h"

class QWidget;

// The core's progress box: one CTfrDlg over the main window per transfer,
// range 0..100. Calls from a worker are queued to the GUI thread in order and
// do not wait.
class CTransferProgress : public QObject, public ITransferProgress {
public:
    explicit CTransferProgress(QWidget& owner);
    ~CTransferProgress() override;

    void OpenProgress(std::string_view caption) override;
    void SetProgress(int percent) override;
    void CloseProgress() override;

    // The open box, or null.
    CTfrDlg* Dialog() const { return dialog_.data(); }

private:
    void RunOnGuiThread(std::function<void()> work);

    QWidget& owner_;
    QPointer<CTfrDlg> dialog_;
};
