#pragma once

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <string>

#include "support/RunProgram.h"
#include "support/TempDir.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
// The C library keeps for good the locale path it parsed from LOCPATH, which
// LeakSanitizer would report against the test.
#define TUNDRIX_LIBC_KEEPS_IT __lsan::ScopedDisabler keep
#else
#define TUNDRIX_LIBC_KEEPS_IT
#endif

// A locale whose decimal point is a comma, for tests of the number paths: the
// machine's own German locale when it has one, else one compiled for the test
// with localedef into a private folder named by LOCPATH. Available() is false,
// with Why() telling the reason, when neither can be had.
class DecimalCommaLocale {
public:
    static constexpr const char* Name = "de_DE.UTF-8";

    DecimalCommaLocale() {
        if (Works())
            return;
        const std::string localedef = "/usr/bin/localedef";
        auto made = RunProgram(localedef, {"-i", "de_DE", "-f", "UTF-8", folder_.File(Name)});
        ::setenv("LOCPATH", folder_.Path().c_str(), 1);
        locpathSet_ = true;
        if (!Works())
            why_ = "no locale with a decimal comma: " + std::string(Name) +
                   " is not installed and localedef could not make it (exit " +
                   std::to_string(made.exitCode) + ": " + made.err + ")";
    }
    ~DecimalCommaLocale() {
        TUNDRIX_LIBC_KEEPS_IT;
        std::setlocale(LC_ALL, "C");
        if (locpathSet_)
            ::unsetenv("LOCPATH");
    }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    bool Available() const { return why_.empty(); }
    const std::string& Why() const { return why_; }
    // The whole process runs in the locale from now on, as the GUI runs in the user's.
    bool Use() const {
        TUNDRIX_LIBC_KEEPS_IT;
        return std::setlocale(LC_ALL, Name) != nullptr;
    }

private:
    bool Works() {
        TUNDRIX_LIBC_KEEPS_IT;
        locale_t probe = ::newlocale(LC_ALL_MASK, Name, locale_t{});
        if (!probe)
            return false;
        ::freelocale(probe);
        why_.clear();
        return true;
    }

    TempDir folder_;
    bool locpathSet_ = false;
    std::string why_ = "not tried";
};
