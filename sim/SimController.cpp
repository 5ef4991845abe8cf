#include "sim/SimController.h"

#include <chrono>
#include <cstdio>

namespace {

SimClock SteadyClock() {
    const auto start = std::chrono::steady_clock::now();
    return [start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
}

// Major, minor and patch of the firmware text, which "SYST:IDEF?" reports as numbers.
int FirmwarePart(int index) {
    int parts[3] = {0, 0, 0};
    std::sscanf(CSimController::Firmware, "%d.%d.%d", &parts[0], &parts[1], &parts[2]);
    return parts[index];
}

} // namespace

CSimController::CSimController(const SimModel& model, SimClock clock)
    : model_(model), clock_(clock ? std::move(clock) : SteadyClock()),
      parser_([this](std::string_view keyword) { return table_.TakesSuffix(keyword); }),
      inputs_(model.inputCount), loops_(model.LoopCount(), inputs_) {
    RegisterCommon();
    inputs_.Register(table_);
    loops_.Register(table_);
    curves_.Register(table_, tableInput_);
    if (model.modelClass == 2)
        pidTables_.Register(table_, tableInput_);
}

void CSimController::RegisterCommon() {
    auto answer = [](const std::string& text) {
        return [text](const SimRequest&, std::string& reply) {
            reply = text;
            return 0;
        };
    };

    table_.AddQuery("*IDN", answer(std::string(Maker) + "," + model_.name + ",SN" +
                                   std::to_string(model_.serial) + "," + Firmware));

    char identity[96];
    std::snprintf(identity, sizeof identity, "%d,%lu,%d,%d,%d,%d,%d", model_.code, model_.serial,
                  FirmwarePart(0), FirmwarePart(1), FirmwarePart(2), model_.inputCount,
                  model_.HeaterLoopCount());
    table_.AddQuery("SYST|SYSTEM:IDEF", answer(identity));

    table_.AddQuery("SYST|SYSTEM:ERR|ERROR", [this](const SimRequest&, std::string& reply) {
        reply = errors_.Pop();
        return 0;
    });
    table_.AddSet("*CLS", SimArgument::None, [this](const SimRequest&) {
        errors_.Clear();
        return 0;
    });
    // Like the instrument, a reset restores the settings but keeps the error queue.
    table_.AddSet("*RST", SimArgument::None, [this](const SimRequest& request) {
        inputs_.Reset();
        loops_.Reset(request.now);
        return 0;
    });
    dataLog_.Register(table_);
}

std::optional<std::string> CSimController::Execute(std::string_view line) {
    std::lock_guard lock(mutex_);
    if (transcript_)
        transcript_(line);
    // The lines of a table being written are the table's, up to its ";".
    if (tableInput_.Active()) {
        if (const int error = tableInput_.Take(line); error != 0)
            errors_.Push(error);
        return std::nullopt;
    }
    const double now = clock_();
    std::optional<std::string> joined;
    for (const SimCommand& command : parser_.Parse(line)) {
        std::string reply;
        const int error = command.error != 0 ? command.error : table_.Run(command, now, reply);
        if (error != 0) {
            errors_.Push(error);
            continue;
        }
        if (command.query) {
            joined = joined ? *joined + ";" + reply : reply;
        }
    }
    return joined;
}

void CSimController::SetTranscript(std::function<void(std::string_view)> transcript) {
    std::lock_guard lock(mutex_);
    transcript_ = std::move(transcript);
}

void CSimController::ReportInputOverrun() {
    std::lock_guard lock(mutex_);
    errors_.Push(SimErrorInputOverrun);
}
