#pragma once

#include "sim/SimCommandParser.h"
#include "sim/SimCommandTable.h"
#include "sim/SimCurves.h"
#include "sim/SimDataLog.h"
#include "sim/SimErrorQueue.h"
#include "sim/SimInputs.h"
#include "sim/SimLoops.h"
#include "sim/SimModel.h"
#include "sim/SimPidTables.h"
#include "sim/SimTableInput.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

// Seconds on a steady clock; tests pass their own to make readings repeatable.
using SimClock = std::function<double()>;

// The simulated controller: one model of the family, its state, and the
// command language. Transports hand it one line at a time; one controller may
// sit behind several transports at once, so Execute is safe from any thread.
class CSimController {
public:
    static constexpr const char* Maker = "ARKTRONIC";
    static constexpr const char* Firmware = "1.4.2";

    // `clock` defaults to a steady clock that starts at zero here.
    explicit CSimController(const SimModel& model, SimClock clock = {});

    // Runs one command line (without its line end). The replies of its queries
    // are joined with ";" into one reply; a line none of whose queries was
    // answered (no query, or each one in error) gets no reply. A command in
    // error is not carried out and its error goes to the queue "SYST:ERR?" reads.
    std::optional<std::string> Execute(std::string_view line);

    // A line longer than the instrument's input buffer was thrown away.
    void ReportInputOverrun();

    const SimModel& Model() const { return model_; }

    // Receives every line the controller is given, before it is carried out.
    void SetTranscript(std::function<void(std::string_view line)> transcript);

private:
    void RegisterCommon();

    const SimModel& model_;
    SimClock clock_;
    CSimCommandTable table_;
    CSimCommandParser parser_;
    CSimErrorQueue errors_;
    CSimInputs inputs_;
    CSimDataLog dataLog_{model_, inputs_, clock_()};
    CSimLoops loops_; // after inputs_, which it steers
    CSimTableInput tableInput_;
    CSimCurves curves_;
    CSimPidTables pidTables_;
    std::function<void(std::string_view)> transcript_;
    std::mutex mutex_;
};
