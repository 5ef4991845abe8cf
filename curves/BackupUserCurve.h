#pragma once

#include <ctime>
#include <string>

struct TransferContext;

// "Back Up User Curve Before Download": reads user curve n back as the upload
// does and saves it, exactly as received, into a new file of `folder` named
// after the curve and the time, "UserCurve3-20240131-142500.crv" (with "-2",
// "-3", ... when that name is taken). True when it was saved; otherwise the
// failure was shown and nothing may be sent.
bool BackupUserCurve(const TransferContext& context, int curve, const std::string& folder);

// The backup file name for `curve` taken at local time `when`, not yet taken in `folder`.
std::string BackupFileName(const std::string& folder, int curve, const std::tm& when);
