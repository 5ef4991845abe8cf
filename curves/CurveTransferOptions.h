#pragma once

#include <string>

#include "comm/UserOptions.h"

// Safeguards the original program does not have, both off unless the user
// turns them on (menu "&User Options"), so that the default run is exactly
// the instrument's own.
struct CurveTransferOptions {
    // "Verify Curve After Download": read the user curve back and compare it
    // entry by entry with what was sent.
    bool verifyAfterDownload = false;
    // "Back Up User Curve Before Download": save the user curve about to be
    // overwritten into a timestamped ".crv" file first.
    bool backupBeforeDownload = false;
    // Where the backups go; empty: the folder of the curve file being downloaded.
    std::string backupFolder;
};

// Their keys in section "UserOptions".
inline constexpr const char* VerifyCurveKey = "VerifyCurveAfterDownload";
inline constexpr const char* BackupCurveKey = "BackUpUserCurveBeforeDownload";

CurveTransferOptions LoadCurveTransferOptions(const CSettingsStore& settings);
