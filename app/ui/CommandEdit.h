#pragma once

#include <QLineEdit>
#include <chrono>

class QKeyEvent;

// The terminal's entry field: one line of at most the link's command length,
// and the text of the last command taken from it.
//
// Return runs the line's transaction before the key press returns. A held
// Return key repeats about 30 times a second; the repeats that the keyboard
// made while a transaction was in flight are dropped, so that holding the key
// over a slow instrument does not queue hundreds of transactions. A Return
// pressed anew always counts.
//
// The window system's own repeat mark cannot be relied on (it is missing when
// the release and the press of a repeat are read apart, as they are after a
// wait), so a press is also taken as a repeat when its release came with the
// same event time, as X sends a repeat, or when no release came since the
// last press.
class CCommandEdit : public QLineEdit {
public:
    explicit CCommandEdit(QWidget* parent = nullptr);

    // Takes the first line of the field as the command; the field keeps its
    // text so that it can be sent again or edited.
    const QString& TakeCommand();
    const QString& LastCommand() const { return lastCommand_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool IsRepeat(const QKeyEvent& press) const;
    // A repeat made by the keyboard while the last transaction ran.
    bool CameDuringTransaction(const QKeyEvent& repeat) const;

    QString lastCommand_;
    bool inFlight_ = false;
    bool returnDown_ = false;
    bool releaseKnown_ = false;
    quint32 lastRelease_ = 0; // event time of the last Return release
    // The last transaction from the keyboard: the event time (milliseconds of
    // the window system's clock) of the key press that started it, and how
    // long it ran. Not known when the window system gives no event times.
    bool lastRunKnown_ = false;
    quint32 lastRunStart_ = 0;
    std::chrono::milliseconds lastRunTook_{0};
};
