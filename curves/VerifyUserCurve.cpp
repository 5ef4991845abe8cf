#include "curves/VerifyUserCurve.h"

#include <algorithm>
#include <cmath>

#include "base/BusyWait.h"
#include "base/DecimalText.h"
#include "base/UserInterface.h"
#include "curves/CurveText.h"
#include "curves/TransferContext.h"
#include "curves/TransferSteps.h"
#include "curves/UserCurveQueries.h"

namespace {

constexpr std::size_t HeaderLines = 4;
constexpr std::size_t MultiplierLine = 2;

std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool NumbersAgree(float sent, float read) {
    const double a = sent;
    const double b = read;
    return std::fabs(a - b) <= std::max(1e-6, 1e-5 * std::max(std::fabs(a), std::fabs(b)));
}

// The numbers of a line, as many as it has before anything that is not one.
std::vector<float> Numbers(std::string_view line) {
    std::vector<float> numbers;
    for (std::string_view token : SplitTokens(line, " \t,")) {
        float value = 0.0f;
        if (!ParseNumber(token, value))
            break;
        numbers.push_back(value);
    }
    return numbers;
}

bool LinesAgree(const std::string& sent, const std::string& read, std::size_t wantNumbers) {
    if (wantNumbers > 0) {
        const std::vector<float> a = Numbers(sent);
        const std::vector<float> b = Numbers(read);
        if (a.size() >= wantNumbers && b.size() >= wantNumbers)
            return std::equal(a.begin(), a.begin() + static_cast<long>(wantNumbers), b.begin(),
                              NumbersAgree);
    }
    return TrimEnd(sent) == TrimEnd(read);
}

} // namespace

int CompareCurveLines(const std::vector<std::string>& sent,
                      const std::vector<std::string>& readBack, IMessageLog& log) {
    static const char* const HeaderNames[HeaderLines] = {"name", "type", "multiplier", "unit"};
    int differences = 0;
    auto compare = [&](const std::string& what, std::size_t index, std::size_t wantNumbers) {
        const std::string a = index < sent.size() ? sent[index] : std::string();
        const std::string b = index < readBack.size() ? readBack[index] : std::string();
        if (LinesAgree(a, b, wantNumbers))
            return;
        ++differences;
        log.AppendLog("Verify: " + what + " differs: sent \"" + a + "\", read back \"" + b +
                      "\"\n");
    };
    for (std::size_t i = 0; i < HeaderLines; ++i)
        compare(HeaderNames[i], i, i == MultiplierLine ? 1 : 0);
    const std::size_t sentEntries = sent.size() > HeaderLines ? sent.size() - HeaderLines : 0;
    const std::size_t readEntries =
        readBack.size() > HeaderLines ? readBack.size() - HeaderLines : 0;
    for (std::size_t i = 0; i < std::min(sentEntries, readEntries); ++i)
        compare("entry " + std::to_string(i + 1), HeaderLines + i, 2);
    if (sentEntries != readEntries) {
        ++differences;
        log.AppendLog("Verify: " + std::to_string(sentEntries) + " entries sent, " +
                      std::to_string(readEntries) + " read back\n");
    }
    return differences;
}

VerifyResult VerifyUserCurve(const TransferContext& context, int curve,
                             const std::vector<std::string>& sent,
                             std::chrono::milliseconds lineTime) {
    SleepPumped(lineTime);
    const auto table =
        ReadUserCurve(context, curve, Format("Verifying User Curve %d. Please wait...", curve));
    if (!table) {
        context.log.AppendLog(Format("Verify: User Curve %d could not be read back\n", curve));
        return VerifyResult::NotRead;
    }
    const int differences = CompareCurveLines(sent, TableLines(*table), context.log);
    if (differences == 0) {
        const int entries =
            static_cast<int>(sent.size() > HeaderLines ? sent.size() - HeaderLines : 0);
        context.log.AppendLog(Format("Verify: User Curve %d reads back as sent, ", curve) +
                              std::to_string(entries) + " entries\n");
        return VerifyResult::Matches;
    }
    context.log.AppendLog(Format("Verify: User Curve %d does not read back as sent: ", curve) +
                          std::to_string(differences) + " differences\n");
    context.boxes.ShowMessage(
        Format("User Curve %d does not read back as sent. Please check the displayed logs.", curve),
        MessageIcon::Stop);
    return VerifyResult::Differs;
}
