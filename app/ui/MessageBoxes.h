#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>

#include "base/UserInterface.h"

class CEvent;
class QWidget;

// The core's message boxes as modal QMessageBoxes, titled with the application
// title. A box belongs to the window that raised it and stays over it: asked
// for on the GUI thread, the window the user is working in (a monitor, a
// dialog, the terminal); asked for by a worker, the main window. Boxes asked
// for by a worker are shown on the GUI thread while the worker waits, as if
// the box had been opened on its own thread; on the GUI thread the box opens
// directly.
class CMessageBoxes : public QObject, public IMessageBoxes {
public:
    // Replaces the modal box, run at the same place on the GUI thread: tests
    // record what the user would see instead of waiting for a click.
    using Presenter = std::function<void(const QString& text, QMessageBox::Icon icon)>;

    explicit CMessageBoxes(QWidget& owner);

    void ShowMessage(std::string_view text, MessageIcon icon) override;

    // A worker waiting for its box gives up once this event is set: the GUI
    // thread sets it before it waits for the workers to end.
    void SetAbandonEvent(CEvent* event) { abandon_.store(event); }
    void SetPresenter(Presenter presenter) { presenter_ = std::move(presenter); }

    static QMessageBox::Icon ToQtIcon(MessageIcon icon);
    // The window the last box was shown over (also with a presenter).
    QWidget* LastParent() const { return lastParent_; }

private:
    void Present(const QString& text, QMessageBox::Icon icon, QWidget* parent);

    QWidget& owner_;
    std::atomic<CEvent*> abandon_{nullptr};
    Presenter presenter_;
    QPointer<QWidget> lastParent_;
};
