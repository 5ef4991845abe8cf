#include "comm/GpibLibrary.h"

#include <cstdlib>
#include <dlfcn.h>

#include "base/BusyWait.h"

#include "base/SettingsStore.h"

namespace {

enum Entry { Ibdev, Ibwrt, Ibrd, Ibclr, Ibonl };
constexpr const char* EntryNames[] = {"ibdev", "ibwrt", "ibrd", "ibclr", "ibonl"};

using IbdevFn = int (*)(int, int, int, int, int, int);
using IbwrtFn = int (*)(int, const void*, long);
using IbrdFn = int (*)(int, void*, long);
using IbclrFn = int (*)(int);
using IbonlFn = int (*)(int, int);

} // namespace

std::string CGpibLibrary::LibraryName(const CSettingsStore& settings) {
    if (const char* env = std::getenv("TUNDRIX_GPIB_LIBRARY"); env && *env)
        return env;
    return settings.GetString("CommunicationSetup", "GPIBLibrary", DefaultName);
}

CGpibLibrary::CGpibLibrary(std::string name) : name_(std::move(name)) {}

CGpibLibrary::~CGpibLibrary() {
    if (handle_)
        ::dlclose(handle_);
}

bool CGpibLibrary::Load() {
    if (handle_)
        return true;
    if (tried_)
        return false;
    tried_ = true;
    handle_ = ::dlopen(name_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = ::dlerror();
        loadError_ = why ? why : name_ + ": cannot be loaded";
        return false;
    }
    threadIbsta_ = reinterpret_cast<StatusGetter>(::dlsym(handle_, "ThreadIbsta"));
    threadIberr_ = reinterpret_cast<StatusGetter>(::dlsym(handle_, "ThreadIberr"));
    threadIbcntl_ = reinterpret_cast<CountGetter>(::dlsym(handle_, "ThreadIbcntl"));
    if (!threadIbsta_ || !threadIberr_ || !threadIbcntl_) {
        threadIbsta_ = nullptr;
        threadIberr_ = nullptr;
        threadIbcntl_ = nullptr;
        ibstaVar_ = static_cast<volatile int*>(::dlsym(handle_, "ibsta"));
        iberrVar_ = static_cast<volatile int*>(::dlsym(handle_, "iberr"));
        ibcntlVar_ = static_cast<volatile long*>(::dlsym(handle_, "ibcntl"));
        if (!ibstaVar_ || !iberrVar_ || !ibcntlVar_) {
            loadError_ = name_ + ": the library exports no GPIB status";
            ::dlclose(handle_);
            handle_ = nullptr;
            return false;
        }
    }
    return true;
}

void* CGpibLibrary::Resolve(int entry) {
    if (!Load())
        return nullptr;
    if (!entries_[entry])
        entries_[entry] = ::dlsym(handle_, EntryNames[entry]);
    return entries_[entry];
}

void CGpibLibrary::ReadStatus() {
    if (threadIbsta_) {
        ibsta_ = threadIbsta_();
        iberr_ = threadIberr_();
        ibcntl_ = threadIbcntl_();
    } else if (ibstaVar_) {
        ibsta_ = *ibstaVar_;
        iberr_ = *iberrVar_;
        ibcntl_ = *ibcntlVar_;
    }
}

// A call into a library that is not there: the status is left as it was, with ERR.
int CGpibLibrary::Fail() {
    ibsta_ |= GpibErr;
    return ibsta_;
}

int CGpibLibrary::ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
    auto fn = reinterpret_cast<IbdevFn>(Resolve(Ibdev));
    if (!fn) {
        Fail();
        return -1;
    }
    int ud = fn(board, pad, sad, tmo, eot, eos);
    ReadStatus();
    return ud;
}

int CGpibLibrary::ibwrt(int ud, const void* data, long count) {
    auto fn = reinterpret_cast<IbwrtFn>(Resolve(Ibwrt));
    if (!fn)
        return Fail();
    RunPumped([&] {
        fn(ud, data, count);
        ReadStatus();
    });
    return ibsta_;
}

int CGpibLibrary::ibrd(int ud, void* buffer, long count) {
    auto fn = reinterpret_cast<IbrdFn>(Resolve(Ibrd));
    if (!fn)
        return Fail();
    RunPumped([&] {
        fn(ud, buffer, count);
        ReadStatus();
    });
    return ibsta_;
}

int CGpibLibrary::ibclr(int ud) {
    auto fn = reinterpret_cast<IbclrFn>(Resolve(Ibclr));
    if (!fn)
        return Fail();
    RunPumped([&] {
        fn(ud);
        ReadStatus();
    });
    return ibsta_;
}

int CGpibLibrary::ibonl(int ud, int online) {
    auto fn = reinterpret_cast<IbonlFn>(Resolve(Ibonl));
    if (!fn)
        return Fail();
    fn(ud, online);
    ReadStatus();
    return ibsta_;
}
