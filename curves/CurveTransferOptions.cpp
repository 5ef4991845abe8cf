#include "curves/CurveTransferOptions.h"

#include "base/SettingsStore.h"

CurveTransferOptions LoadCurveTransferOptions(const CSettingsStore& settings) {
    CurveTransferOptions options;
    options.verifyAfterDownload = settings.GetInt(UserOptionsSection, VerifyCurveKey, 0) != 0;
    options.backupBeforeDownload = settings.GetInt(UserOptionsSection, BackupCurveKey, 0) != 0;
    return options;
}

bool StoreUserOption(CSettingsStore& settings, const char* key, bool on) {
    return settings.WriteInt(UserOptionsSection, key, on ? 1 : 0);
}
