#pragma once

#include <string>

// The titles the utility looks for: the calculator's, and the one the CalGen
// reference-point dialogs close on Cancel. "Quillmere" is not the calculator's:
// a calculator started from a dialog stays open when the dialog is cancelled.
inline constexpr char VaporixTitle[] = "Vaporix";
inline constexpr char QuillmereTitle[] = "Quillmere";

// How one program finds another program's window by its title and asks it to
// close, without a window system that lists every window. Both sides of the
// protocol live here; the calculator listens while its dialog is open, the
// utility finds it and sends the request.
//
// A window that can be found binds a Unix datagram socket named
// "<title>.<pid>" in the per-user folder Folder():
// $XDG_RUNTIME_DIR/arktronic-windows, or /tmp/arktronic-windows-<uid> when
// there is no runtime folder. The folder must be ours alone (a real directory
// owned by us, no access for group or others), otherwise nothing listens or is
// found. Characters of the title other than letters, digits, '-' and '_' are
// written as %XX.
//
// "Find the window titled T" is: connect a datagram socket to one of the
// names "T.<pid>"; a name that refuses was left by a program that died and is
// removed by whoever meets it. Several programs may hold the same title (two
// calculators); a request goes to the first one that answers.
//
// The one request is the 5-byte datagram "CLOSE", sent like a posted window
// message, without waiting for an answer. Its receiver ends exactly as its
// Exit command ends it. Other datagrams are ignored.
class CTitleChannel {
public:
    CTitleChannel() = default;
    ~CTitleChannel();
    CTitleChannel(const CTitleChannel&) = delete;
    CTitleChannel& operator=(const CTitleChannel&) = delete;

    // Starts answering to `title`; false when the folder or the socket cannot be
    // had (the program then runs without being found).
    bool Listen(const std::string& title);
    // Stops answering and removes the name.
    void Close();
    bool IsListening() const { return fd_ >= 0; }
    // The socket to watch for reading while listening; -1 otherwise.
    int Fd() const { return fd_; }
    // Reads every pending request without waiting; true when one asked to close.
    bool TakeCloseRequest();

    // True when a window titled `title` answers.
    static bool IsOpen(const std::string& title);
    // Sends the close request to one window titled `title`; false when none answers.
    static bool PostClose(const std::string& title);
    // The per-user folder of the names, created when missing; "" when unusable.
    static std::string Folder();

    static constexpr char CloseRequest[] = "CLOSE";

private:
    int fd_ = -1;
    std::string path_;
};
