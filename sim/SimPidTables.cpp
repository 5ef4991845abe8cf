#include "sim/SimPidTables.h"

#include "sim/SimCommandTable.h"
#include "sim/SimErrorQueue.h"
#include "sim/SimTableInput.h"
#include "sim/SimTableText.h"

CSimPidTables::CSimPidTables() {
    // As the controller leaves the factory: four zones from cold to warm.
    for (int t = 1; t <= Tables; ++t)
        tables_[static_cast<std::size_t>(t - 1)] = {
            "PID Table " + std::to_string(t), "20.000 40.000 25.000 0.000 Low",
            "50.000 60.000 30.000 0.000 Med", "150.000 80.000 40.000 0.000 High",
            "400.000 100.000 50.000 0.000 High"};
}

const std::vector<std::string>& CSimPidTables::Lines(int table) const {
    return tables_.at(static_cast<std::size_t>(table - 1));
}

int CSimPidTables::TableOf(const std::string& suffix) {
    const auto table = ParseSimInteger(suffix);
    return table && *table >= 1 && *table <= Tables ? *table : 0;
}

void CSimPidTables::Register(CSimCommandTable& table, CSimTableInput& input) {
    table.AddQuery("PIDT#:NENT", [this](const SimRequest& request, std::string& reply) {
        const int t = TableOf(request.suffixes.at(0));
        if (t == 0)
            return static_cast<int>(SimErrorSuffixOutOfRange);
        reply = std::to_string(Lines(t).size() - 1);
        return 0;
    });
    table.AddQuery("PIDT#:TABLE", [this](const SimRequest& request, std::string& reply) {
        const int t = TableOf(request.suffixes.at(0));
        if (t == 0)
            return static_cast<int>(SimErrorSuffixOutOfRange);
        reply = SimTableReply(Lines(t));
        return 0;
    });
    table.AddSet("PIDT#:TABLE", SimArgument::None, [this, &input](const SimRequest& request) {
        const int t = TableOf(request.suffixes.at(0));
        if (t == 0)
            return static_cast<int>(SimErrorSuffixOutOfRange);
        receiving_.clear();
        input.Begin(
            [this](std::string_view line) {
                if (receiving_.size() >= 1 + MaxEntries)
                    return static_cast<int>(SimErrorIllegalParameter);
                receiving_.emplace_back(line);
                return 0;
            },
            [this, t] {
                if (receiving_.empty())
                    return static_cast<int>(SimErrorIllegalParameter);
                tables_[static_cast<std::size_t>(t - 1)] = std::move(receiving_);
                receiving_.clear();
                return 0;
            });
        return 0;
    });
}
