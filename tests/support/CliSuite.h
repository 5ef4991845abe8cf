#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/SimulatorProcess.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

// tundrix-cli against one simulator that serves a whole test suite. The suite
// starts it in its own SetUpTestSuite with StartSimulator; each test has a
// private folder for its settings file and what it writes.
class CliSuite : public ::testing::Test {
protected:
    // The simulator with `args`, reached over the first of `services` ("pty" or "tcp").
    static void StartSimulator(const std::vector<std::string>& args,
                               const std::vector<std::string>& services = {"pty"}) {
        sim_ = new CSimulatorProcess;
        service_ = services.front();
        started_ = sim_->Start(TUNDRIX_SIM_PROGRAM, args, services);
    }
    static void TearDownTestSuite() {
        delete sim_;
        sim_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(started_) << sim_->Error(); }

    // The simulator as --port names it: "ASRL/dev/pts/N::INSTR" or
    // "TCPIP::127.0.0.1::PORT::SOCKET".
    static std::string Resource() {
        const std::string address = sim_->Address(service_);
        if (service_ == "pty")
            return "ASRL" + address + "::INSTR";
        const auto colon = address.rfind(':');
        return "TCPIP::" + address.substr(0, colon) + "::" + address.substr(colon + 1) + "::SOCKET";
    }
    // --settings with the test's own file and --port, then `args`.
    std::vector<std::string> WithPort(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--settings", dir_.File("Tundrix.INI"), "--port", Resource()});
        return args;
    }
    ProgramResult Cli(std::vector<std::string> args, const std::string& input = "") const {
        return RunProgram(TUNDRIX_CLI_PROGRAM, WithPort(std::move(args)), input);
    }

    static inline CSimulatorProcess* sim_ = nullptr;
    static inline std::string service_;
    static inline bool started_ = false;
    TempDir dir_;
};
