#include "curves/CurveTransferOptions.h"

CurveTransferOptions LoadCurveTransferOptions(const CSettingsStore& settings) {
    CurveTransferOptions options;
    options.verifyAfterDownload = ReadUserOption(settings, VerifyCurveKey);
    options.backupBeforeDownload = ReadUserOption(settings, BackupCurveKey);
    return options;
}
