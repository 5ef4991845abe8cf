#pragma once

#include <string>

class CSettingsStore;

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

// Section "UserOptions", keys "VerifyCurveAfterDownload" and
// "BackUpUserCurveBeforeDownload" (0 or 1, default 0).
inline constexpr const char* UserOptionsSection = "UserOptions";
inline constexpr const char* VerifyCurveKey = "VerifyCurveAfterDownload";
inline constexpr const char* BackupCurveKey = "BackUpUserCurveBeforeDownload";

CurveTransferOptions LoadCurveTransferOptions(const CSettingsStore& settings);
// False when the settings file could not be written (the value stays in memory).
bool StoreUserOption(CSettingsStore& settings, const char* key, bool on);
