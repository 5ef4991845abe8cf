#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "InstallTree.h"
#include "base/SimulatorProcess.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/WholeFile.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Programs() {
    std::vector<std::string> programs{"tundrix-cli", "tundrix-sim"};
#if TUNDRIX_WITH_GUI
    programs.insert(programs.end(), {"tundrix", "vaporix"});
#endif
    return programs;
}

// Sets an environment variable for one test and puts it back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(InstalledPrograms, TheLayoutPutsProgramsInBinAndTheGpibLibraryOffTheLibraryPath) {
    for (const std::string& program : Programs())
        EXPECT_TRUE(fs::is_regular_file(InstallTree::Program(program))) << program;
    EXPECT_TRUE(fs::is_regular_file(InstallTree::PrivateLibrary("libtundrix-gpib-sim.so")));
    // The folders the dynamic linker searches hold no library of ours.
    for (const char* folder : {"/lib", "/lib64", "/" TUNDRIX_INSTALL_LIBDIR})
        EXPECT_FALSE(fs::exists(InstallTree::Usr() + folder + "/libtundrix-gpib-sim.so")) << folder;
    EXPECT_NE(std::string(TUNDRIX_INSTALL_PRIVATE_LIBDIR), std::string(TUNDRIX_INSTALL_LIBDIR));
}

TEST(InstalledPrograms, EveryProgramTellsTheProjectsVersion) {
    for (const std::string& program : Programs()) {
        const ProgramResult run = RunProgram(InstallTree::Program(program), {"--version"});
        EXPECT_EQ(0, run.exitCode) << program << ": " << run.err;
        EXPECT_EQ(program + " " TUNDRIX_PROJECT_VERSION "\n", run.out) << program;
    }
}

TEST(InstalledPrograms, TheCalculatorAndTheSimulatorAnswerFromTheirCommandLines) {
    const ProgramResult boil = RunProgram(InstallTree::Program("tundrix-cli"),
                                          {"vaporix", "Nitrogen", "760", "mmHg", "K"});
    EXPECT_EQ(0, boil.exitCode) << boil.err;
    EXPECT_EQ("   77.3521\n", boil.out);

    const ProgramResult help = RunProgram(InstallTree::Program("tundrix-sim"), {"--help"});
    EXPECT_EQ(0, help.exitCode);
    EXPECT_EQ(0u, help.out.find("Usage: tundrix-sim ")) << help.out;
}

// The installed command line against the installed simulator, over a
// pseudo-terminal and over GPIB through the installed simulated GPIB library.
TEST(InstalledPrograms, TheCommandLineReachesTheSimulatorOverRs232AndGpib) {
    CSimulatorProcess simulator;
    ASSERT_TRUE(
        simulator.Start(InstallTree::Program("tundrix-sim"), {"--pty", "--gpib"}, {"pty", "gpib"}))
        << simulator.Error();
    TempDir dir;
    const std::string settings = dir.File("Tundrix.INI");
    const std::string serial = "ASRL" + simulator.Address("pty") + "::INSTR";

    const ProgramResult rs232 =
        RunProgram(InstallTree::Program("tundrix-cli"),
                   {"--settings", settings, "--port", serial, "query", "*IDN?"});
    EXPECT_EQ(0, rs232.exitCode) << rs232.err;
    EXPECT_EQ(0u, rs232.out.find("ARKTRONIC,")) << rs232.out;

    const std::string library = InstallTree::PrivateLibrary("libtundrix-gpib-sim.so");
    const std::string socket = simulator.Address("gpib");
    ScopedEnv useLibrary("TUNDRIX_GPIB_LIBRARY", &library);
    ScopedEnv useSocket("TUNDRIX_SIM_GPIB", &socket);
    const ProgramResult gpib =
        RunProgram(InstallTree::Program("tundrix-cli"),
                   {"--settings", settings, "--port", "GPIB0::12::INSTR", "query", "*IDN?"});
    EXPECT_EQ(0, gpib.exitCode) << gpib.err;
    EXPECT_EQ(0u, gpib.out.find("ARKTRONIC,")) << gpib.out;
}

#if TUNDRIX_WITH_GUI

namespace {

// Runs an installed window program offscreen with the window probe
// (tests/packaging/ui/WindowProbe.cpp), which ends it once its window shows;
// nothing of the build folder is on PATH.
ProgramResult RunWithProbe(const std::string& program, const std::vector<std::string>& args,
                           const TempDir& home) {
    const std::string probe = TUNDRIX_PROBE_PLUGIN_PATH;
    const std::string plugin = "tundrixwindowprobe";
    const std::string offscreen = "offscreen";
    const std::string config = home.File("config");
    const std::string runtime = home.Path();
    const std::string path = home.Path(); // an empty folder: no program is found on PATH
    ScopedEnv pluginPath("QT_PLUGIN_PATH", &probe);
    ScopedEnv plugins("QT_QPA_GENERIC_PLUGINS", &plugin);
    ScopedEnv platform("QT_QPA_PLATFORM", &offscreen);
    ScopedEnv configHome("XDG_CONFIG_HOME", &config);
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", &runtime);
    ScopedEnv searchPath("PATH", &path);
    ScopedEnv noSettings("TUNDRIX_SETTINGS", nullptr);
    ScopedEnv noLibrary("TUNDRIX_GPIB_LIBRARY", nullptr);
    return RunProgram(InstallTree::Program(program), args, "", std::chrono::seconds(30));
}

} // namespace

// What the application menu starts: the installed utility finds the installed
// simulator beside itself and the simulated GPIB library in its private
// folder, and its main window shows without a message box.
TEST(InstalledPrograms, TheUtilityStartsItsSimulatorAndShowsItsMainWindow) {
    TempDir home;
    const ProgramResult run = RunWithProbe("tundrix", {"--simulate"}, home);
    EXPECT_EQ(0, run.exitCode) << run.out << run.err;
    EXPECT_NE(std::string::npos, run.out.find("Simulated controller, model 28: RS232 /dev/pts/"))
        << run.out << run.err;
    EXPECT_NE(std::string::npos,
              run.out.find("\nwindow shown: Borea Utility Software - Tundrix Utility Software ("))
        << run.out;
    EXPECT_NE(std::string::npos,
              run.out.find("\nTUNDRIX_GPIB_LIBRARY=" +
                           InstallTree::PrivateLibrary("libtundrix-gpib-sim.so") + "\n"))
        << run.out;
    EXPECT_EQ(std::string::npos, run.out.find("box: ")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("\nquit\n")) << run.out;

    const std::string settings = ReadFile(home.File("config/Arktronic/Tundrix-simulate.INI"));
    EXPECT_NE(std::string::npos, settings.find("COM2=/dev/pts/")) << settings;
}

TEST(InstalledPrograms, TheCalculatorShowsItsDialog) {
    TempDir home;
    const ProgramResult run = RunWithProbe("vaporix", {}, home);
    EXPECT_EQ(0, run.exitCode) << run.out << run.err;
    EXPECT_NE(std::string::npos, run.out.find("\nwindow shown: Vaporix (")) << run.out;
    EXPECT_EQ(std::string::npos, run.out.find("box: ")) << run.out;
}

#endif
