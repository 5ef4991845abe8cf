#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

// Read time-outs of a serial port, in milliseconds, derived from the line speed
// with m = 10000 / baud (at least 1): a read gives up 4m after the last byte
// received, or m per byte requested plus 10m after it started.
struct SerialTimeouts {
    int intervalMs = 0;
    int perByteMs = 0;
    int constantMs = 0;

    static SerialTimeouts ForBaud(int baud);
    // The same time-outs `divisor` times shorter (tests), each at least 1 ms
    // where it was: the total of a full read divided as a whole.
    SerialTimeouts DividedBy(int divisor) const;
    bool operator==(const SerialTimeouts&) const = default;
};

// Rate codes 1..8 = 1200 .. 115200 baud; 0 for any other code.
int BaudForRateCode(int rateCode);

// The RS232 transport: one tty device, 8N1, raw, no flow control.
//
// Reads follow the timing of the controller's original serial driver: one
// read of up to ReadSize bytes completes when the buffer is full, when no new
// byte arrived for the interval time-out, or at the total time-out. The
// driver kept receiving in the background with each byte's arrival time, so a
// reply that arrived during the link's 200 ms wait was handed over at once;
// Idle() does that receiving here, while the link waits.
class CSerialPort {
public:
    static constexpr std::size_t ReadSize = 260;
    static constexpr std::size_t WriteSize = 260;

    // Opens and configures the device; IsOpen() tells success, ErrorText() why
    // not. Tests divide the read time-outs by `timeoutDivisor`.
    CSerialPort(std::string devicePath, int rateCode, int timeoutDivisor = 1);
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    bool IsOpen() const { return open_; }
    const std::string& DevicePath() const { return devicePath_; }
    const std::string& ErrorText() const { return error_; }
    const SerialTimeouts& Timeouts() const { return timeouts_; }
    // The longest one ReadChunk waits when nothing arrives: the total time-out
    // of a read of ReadSize bytes.
    std::chrono::milliseconds ReadTimeout() const {
        return std::chrono::milliseconds(timeouts_.perByteMs * static_cast<int>(ReadSize) +
                                         timeouts_.constantMs);
    }

    // Writes the text and one line feed; nonzero on success. The text must fit,
    // with its line feed, in WriteSize bytes.
    int WriteLine(std::string_view text);
    // One read of up to ReadSize bytes into `text` (replaced), line ends kept.
    // 1 on success, 0 when the read failed or timed out with no byte.
    int ReadChunk(std::string& text);
    // Waits `duration` while receiving into the port's own input buffer.
    void Idle(std::chrono::milliseconds duration);
    // Drops everything received so far, in the port's buffer and the device's.
    void DiscardInput();
    // After a reply that never came: waits up to `wait` for it, ending as soon
    // as a line end has arrived (unless `wholeWait`), and throws away what came
    // (in `discarded`). False when nothing came.
    bool DiscardLateReply(std::chrono::milliseconds wait, std::string& discarded,
                          bool wholeWait = false);
    // The other end of the line has gone (hung up, unplugged): reads and
    // writes fail at once from now on.
    bool HungUp() const { return hungUp_; }
    void Close();

private:
    using Clock = std::chrono::steady_clock;

    // Reads what the device holds now into pending_; false on a device error.
    bool Receive(Clock::time_point arrival);

    std::string devicePath_;
    int fd_ = -1;
    bool open_ = false;
    SerialTimeouts timeouts_;
    std::string error_;
    bool hungUp_ = false;
    std::string pending_;           // received, not yet delivered (bounded)
    Clock::time_point lastArrival_; // when pending_ last grew
};
