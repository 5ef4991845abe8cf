#pragma once

#include <string_view>

// The narrow interfaces through which the core reaches the user. The Qt GUI
// implements them with real windows, the CLI with standard output and error,
// the tests with recorders. Every method may be called from a worker thread:
// an implementation that owns windows marshals to its own thread.

enum class MessageIcon {
    Stop,        // errors
    Warning,     // busy refusals
    Information, // plain notices
};

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // A modal box with one OK button; returns when the user has closed it.
    virtual void ShowMessage(std::string_view text, MessageIcon icon) = 0;
};

class IMessageLog {
public:
    virtual ~IMessageLog() = default;
    // Appends text to the scrolling message log; the text carries its own line ends.
    virtual void AppendLog(std::string_view text) = 0;
};

// The modeless transfer progress box: a caption and a bar of range 0..100.
class ITransferProgress {
public:
    virtual ~ITransferProgress() = default;
    virtual void OpenProgress(std::string_view caption) = 0;
    virtual void SetProgress(int percent) = 0;
    virtual void CloseProgress() = 0;
};

// Lets the user interface stay alive while the GUI thread waits for a long
// transfer or a reply: the GUI repaints its windows, other front ends do
// nothing. No user input is taken while a wait pumps, so that no command
// starts in the middle of another (base/BusyWait.h runs it).
class IEventPump {
public:
    virtual ~IEventPump() = default;
    virtual void ProcessEvents() = 0;
    // Around each wait that runs the pump: the GUI shows that it is busy.
    virtual void WaitStarted() {}
    virtual void WaitEnded() {}
};
