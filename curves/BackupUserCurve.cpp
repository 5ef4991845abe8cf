#include "curves/BackupUserCurve.h"

#include <cstdio>
#include <filesystem>

#include "base/AtomicFile.h"
#include "base/UserInterface.h"
#include "curves/TransferContext.h"
#include "curves/TransferSteps.h"
#include "curves/UserCurveQueries.h"

namespace {

constexpr int MaxSameSecond = 100;

} // namespace

std::string BackupFileName(const std::string& folder, int curve, const std::tm& when) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &when);
    const std::string base =
        (std::filesystem::path(folder) / ("UserCurve" + std::to_string(curve) + "-" + stamp))
            .string();
    std::string name = base + ".crv";
    std::error_code error;
    for (int n = 2; n <= MaxSameSecond && std::filesystem::exists(name, error); ++n)
        name = base + "-" + std::to_string(n) + ".crv";
    return name;
}

bool BackupUserCurve(const TransferContext& context, int curve, const std::string& folder) {
    const auto table =
        ReadUserCurve(context, curve, Format("Backing up User Curve %d. Please wait...", curve));
    if (!table)
        return false;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    const std::string fileName = BackupFileName(folder, curve, local);
    std::string error;
    if (!WriteFileAtomically(fileName, *table, &error)) {
        context.boxes.ShowMessage("Failed to create file", MessageIcon::Warning);
        context.log.AppendLog("Failed to create file " + error + "\n");
        return false;
    }
    context.log.AppendLog(Format("User Curve %d is backed up to %s\n", curve, fileName));
    return true;
}
