#include "sim/SimCurves.h"

#include "sim/SimCommandTable.h"
#include "sim/SimErrorQueue.h"
#include "sim/SimTableInput.h"
#include "sim/SimTableText.h"

CSimCurves::CSimCurves() {
    for (int n = 1; n <= UserCurves; ++n)
        curves_[static_cast<std::size_t>(n - 1)] = {"User Curve " + std::to_string(n), "None",
                                                    "1.000000", "Volts"};
}

const std::vector<std::string>& CSimCurves::Lines(int curve) const {
    return curves_.at(static_cast<std::size_t>(curve - 1));
}

int CSimCurves::Describe(int index, std::string& reply) const {
    const int curve = index - FirstUserIndex + 1;
    if (curve < 1 || curve > UserCurves)
        return SimErrorIllegalParameter;
    const std::vector<std::string>& lines = Lines(curve);
    reply = lines[0] + "," + lines[1] + "," + std::to_string(lines.size() - HeaderLines);
    return 0;
}

void CSimCurves::Register(CSimCommandTable& table, CSimTableInput& input) {
    table.AddQuery(
        "SENSORIX",
        [this](const SimRequest& request, std::string& reply) {
            const auto index = ParseSimInteger(request.argument);
            return index ? Describe(*index, reply) : SimErrorIllegalParameter;
        },
        SimArgument::Required);
    table.AddQuery("SENSORIX#:NENTRY", [this](const SimRequest& request, std::string& reply) {
        const auto index = ParseSimInteger(request.suffixes.at(0));
        const int curve = index ? *index - FirstUserIndex + 1 : 0;
        if (curve < 1 || curve > UserCurves)
            return static_cast<int>(SimErrorSuffixOutOfRange);
        reply = std::to_string(Lines(curve).size() - HeaderLines);
        return 0;
    });
    table.AddQuery(
        "CALC",
        [this](const SimRequest& request, std::string& reply) {
            const auto curve = ParseSimInteger(request.argument);
            if (!curve || *curve < 1 || *curve > UserCurves)
                return static_cast<int>(SimErrorIllegalParameter);
            reply = SimTableReply(Lines(*curve));
            return 0;
        },
        SimArgument::Required);
    table.AddSet("CALC", SimArgument::Required, [this, &input](const SimRequest& request) {
        const auto curve = ParseSimInteger(request.argument);
        if (!curve || *curve < 1 || *curve > UserCurves)
            return static_cast<int>(SimErrorIllegalParameter);
        receiving_.clear();
        const std::size_t slot = static_cast<std::size_t>(*curve - 1);
        input.Begin(
            [this](std::string_view line) {
                if (receiving_.size() >= HeaderLines + MaxEntries)
                    return static_cast<int>(SimErrorIllegalParameter);
                receiving_.emplace_back(line);
                return 0;
            },
            [this, slot] {
                if (receiving_.size() < HeaderLines)
                    return static_cast<int>(SimErrorIllegalParameter);
                curves_[slot] = std::move(receiving_);
                receiving_.clear();
                return 0;
            });
        return 0;
    });
}
