#include "logging/ui/LoggingDialogs.h"

#include "logging/ui/DataLogSetup.h"

bool CLoggingDialogs::RunDataLogSetup(DataLogSetupData& data) {
    CDataLogSetup dialog(data, boxes_, parent_);
    const bool started = dialog.exec() == QDialog::Accepted;
    data.interval = dialog.Interval();
    data.mask = started ? dialog.Mask() : 0;
    return started;
}
