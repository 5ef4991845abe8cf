#pragma once

#include <string>

class CSettingsStore;

// Status bits of ibsta that the link reads.
inline constexpr int GpibErr = 0x8000;  // the call failed
inline constexpr int GpibTimo = 0x4000; // the call timed out
inline constexpr int GpibEnd = 0x2000;  // the read ended with EOI (the talker's last byte)
// Error codes of iberr that the link explains to the user.
inline constexpr int GpibEdvr = 0; // system error; ibcntl holds errno
inline constexpr int GpibEnol = 2; // no listener at the address

// The GPIB user library, loaded at run time by name (the linux-gpib library
// "libgpib.so.0" unless the settings or TUNDRIX_GPIB_LIBRARY name another).
//
// Loading, the status exports and each entry point are resolved once, on first
// use. Without the library or its status exports every call fails (ibdev
// returns -1, the others the ERR status) and nothing crashes. The status is
// read from the library's per-thread getters where it has them, else from its
// exported variables, right after the call that set it.
class CGpibLibrary {
public:
    static constexpr const char* DefaultName = "libgpib.so.0";
    // TUNDRIX_GPIB_LIBRARY, else "CommunicationSetup"/"GPIBLibrary", else DefaultName.
    static std::string LibraryName(const CSettingsStore& settings);

    explicit CGpibLibrary(std::string name);
    ~CGpibLibrary();
    CGpibLibrary(const CGpibLibrary&) = delete;
    CGpibLibrary& operator=(const CGpibLibrary&) = delete;

    int ibdev(int board, int pad, int sad, int tmo, int eot, int eos);
    int ibwrt(int ud, const void* data, long count);
    int ibrd(int ud, void* buffer, long count);
    int ibclr(int ud);
    int ibonl(int ud, int online);

    // The status of the last call: ibsta, iberr and the byte count.
    int Status() const { return ibsta_; }
    int Error() const { return iberr_; }
    long Count() const { return ibcntl_; }
    // Why the library could not be used, or "".
    const std::string& LoadError() const { return loadError_; }

private:
    using StatusGetter = int (*)();
    using CountGetter = long (*)();

    bool Load();
    void* Resolve(int entry);
    void ReadStatus();
    int Fail();

    std::string name_;
    void* handle_ = nullptr;
    bool tried_ = false;
    std::string loadError_;
    StatusGetter threadIbsta_ = nullptr;
    StatusGetter threadIberr_ = nullptr;
    CountGetter threadIbcntl_ = nullptr;
    volatile int* ibstaVar_ = nullptr;
    volatile int* iberrVar_ = nullptr;
    volatile long* ibcntlVar_ = nullptr;
    void* entries_[5] = {};
    int ibsta_ = GpibErr;
    int iberr_ = 0;
    long ibcntl_ = 0;
};
