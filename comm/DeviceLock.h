#pragma once

#include <string>

// An advisory lock between programs on one instrument that has no device file
// of its own to lock (a GPIB address, a LAN host and port), as the serial port
// is locked: while one link holds it, a second program is refused.
//
// The lock is a file named after the instrument, held with flock(): in
// $TUNDRIX_LOCK_DIR when set, else in the system's lock folder /run/lock so
// that it holds between users, else in the user's runtime folder or /tmp.
// Without any usable folder nothing is locked (and nothing is refused).
class CDeviceLock {
public:
    CDeviceLock() = default;
    ~CDeviceLock() { Release(); }
    CDeviceLock(const CDeviceLock&) = delete;
    CDeviceLock& operator=(const CDeviceLock&) = delete;

    // "gpib0-12", "lan-192.168.0.4-5000". False only when another holder has
    // it; `error` then says so. An instrument that a server of ours shares
    // (MarkShared) is not locked: the server keeps its clients apart.
    bool Acquire(const std::string& name, std::string& error);
    // Held by a server while it shares an instrument under `name` (as
    // "lan-127.0.0.1-5025"), so that our links to it take no lock.
    void MarkShared(const std::string& name);
    void Release();
    bool Held() const { return fd_ >= 0; }

    // The folder the lock files go in.
    static std::string Folder();

private:
    int fd_ = -1;
};
