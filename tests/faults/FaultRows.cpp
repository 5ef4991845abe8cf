// The faults of the fault suite, one row each: what the simulator is told to
// do (tundrix-sim --fault), or what is put where the user's files go, what
// operations it applies to, what they must make of it, and how the user's
// files must look afterwards.

#include "faults/FaultTable.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/SettingsStore.h"
#include "support/WholeFile.h"

namespace faults {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode;
}

// No temporary file of an atomic write was left beside the user's file.
void ExpectNoLeftovers(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".tmp")) << entry.path();
}

// The settings file is still the user's: their comment first, readable whole.
void SettingsKept(const Cell& cell, const Result&) {
    const std::string text = ReadFile(cell.settingsPath);
    EXPECT_EQ(0u, text.find(UserComment)) << "settings file now: " << text.substr(0, 200);
    CSettingsStore reread(cell.settingsPath);
    reread.Load();
    EXPECT_TRUE(reread.CanSave());
    EXPECT_TRUE(reread.Find("SerialDevices", "COM2"));
    ExpectNoLeftovers(cell.dir->Path());
}

// The operation's input is as it was (RunCell wrote it before the fault's
// preparation), and no temporary file was left beside it.
void InputKept(const Cell& cell) {
    if (!cell.inputPath.empty()) {
        EXPECT_EQ(cell.inputText, ReadFile(cell.inputPath));
    }
    ExpectNoLeftovers(cell.dir->Path());
}

// An output path with something already there, which must stay as it was.
FaultRow RefusedOutput(std::string name, std::function<bool(Cell&, std::string&)> make,
                       std::function<void(const Cell&)> check) {
    FaultRow row;
    row.name = std::move(name);
    row.family = Family::OutputFile;
    row.needs = NeedsOutputFile;
    row.expect = Expect::Fails;
    row.prepare = std::move(make);
    row.checkFiles = [check](const Cell& cell, const Result&) {
        check(cell);
        InputKept(cell);
    };
    return row;
}

// Commands that change the instrument (every line without a "?") that the
// simulator received: an operation whose file was refused sends none.
std::string ChangingCommands(const Cell& cell) {
    std::string changing;
    std::istringstream lines(ReadFile(cell.transcriptPath));
    for (std::string line; std::getline(lines, line);)
        if (line.find('?') == std::string::npos)
            changing += line + "\n";
    return changing;
}

// The file the operation reads, as something it cannot use: refused, and
// nothing sent to the instrument, nothing written over at the output path.
FaultRow InputFault(std::string name, std::function<bool(Cell&, std::string&)> make,
                    std::function<void(const Cell&)> check) {
    FaultRow row;
    row.name = std::move(name);
    row.family = Family::InputFile;
    row.needs = NeedsInputFile;
    row.expect = Expect::Fails;
    row.prepare = std::move(make);
    row.checkFiles = [check](const Cell& cell, const Result&) {
        check(cell);
        if (!cell.transcriptPath.empty()) {
            EXPECT_EQ("", ChangingCommands(cell)) << "the instrument was changed";
        }
        ExpectNoLeftovers(cell.dir->Path());
    };
    return row;
}

// What stands at the input path instead of the file: its bytes, unchanged.
FaultRow InputText(std::string name, std::string text) {
    return InputFault(
        std::move(name),
        [text](Cell& cell, std::string&) {
            cell.inputText = text;
            std::ofstream(cell.inputPath, std::ios::binary | std::ios::trunc) << text;
            return true;
        },
        [](const Cell& cell) { EXPECT_EQ(cell.inputText, ReadFile(cell.inputPath)); });
}

FaultRow SettingsFault(std::string name, Expect expect,
                       std::function<bool(Cell&, std::string&)> make,
                       std::function<void(const Cell&, const Result&)> check) {
    FaultRow row;
    row.name = std::move(name);
    row.family = Family::SettingsFile;
    row.needs = NeedsSettingsFile;
    row.expect = expect;
    row.prepare = std::move(make);
    row.checkFiles = std::move(check);
    return row;
}

FaultRow LineFault(std::string name, unsigned needs, Expect expect, std::string rule) {
    FaultRow row;
    row.name = std::move(name);
    row.needs = needs;
    row.expect = expect;
    if (!rule.empty())
        row.simulatorFaults = {std::move(rule)};
    row.checkFiles = SettingsKept;
    return row;
}

// A time of a fault, divided as the link's waits are.
std::string Divided(const char* rule, int milliseconds) {
    return rule + std::to_string(milliseconds / TimeDivisor);
}

// A late reply comes after the RS232 and GPIB reads give up, before the LAN
// one does; a trickle ends an identity reply within the LAN deadline, not
// within GPIB's.
const std::string Late = Divided("late:", 1500);
const std::string Trickle = Divided("trickle:", 200);

} // namespace

const std::vector<SweptFault>& SweptFaults() {
    static const std::vector<SweptFault> rows = {
        {"no_reply", Expect::Fails, "no-reply", false, true},
        {"late", Expect::ExactOrFails, Late, false, false},
        {"twice", Expect::Succeeds, "twice", false, false},
        // A changed byte or a NUL is seen wherever a reply has a shape to
        // check; an operation says where it has none (a name, a model text).
        {"corrupt", Expect::ExactOrFails, "corrupt", false, false},
        {"cut", Expect::Fails, "cut", false, true},
        {"trickle", Expect::ExactOrFails, Trickle, false, false},
        {"stream", Expect::Fails, "stream", false, true},
        {"nul", Expect::ExactOrFails, "nul", false, false},
        {"hangup", Expect::Fails, "hangup:", true, true},
    };
    return rows;
}

const std::vector<FaultRow>& Faults() {
    static const std::vector<FaultRow> rows = [] {
        std::vector<FaultRow> all;
        // On the line, through the simulator, at every query.
        all.push_back(LineFault("none", NeedsNothing, Expect::Succeeds, ""));
        all.push_back(LineFault("no_reply", NeedsReplies, Expect::Fails, "no-reply"));
        all.push_back(LineFault("late", NeedsReplies, Expect::ExactOrFails, Late));
        all.push_back(LineFault("twice", NeedsReplies, Expect::Succeeds, "twice"));
        all.push_back(LineFault("corrupt", NeedsReplies, Expect::Bounded, "corrupt"));
        all.push_back(LineFault("cut", NeedsReplies, Expect::Fails, "cut"));
        all.push_back(LineFault("trickle", NeedsReplies, Expect::ExactOrFails, Trickle));
        all.push_back(LineFault("stream", NeedsReplies, Expect::Fails, "stream"));
        all.push_back(LineFault("nul", NeedsReplies, Expect::WholeOrFails, "nul"));
        all.push_back(LineFault("hangup_at_once", NeedsNothing, Expect::Fails, "hangup:0"));
        all.push_back(LineFault("hangup_after_one", NeedsSeveral, Expect::Fails, "hangup:1"));

        // Where the user chose to write.
        FaultRow fresh;
        fresh.name = "output_new";
        fresh.family = Family::OutputFile;
        fresh.needs = NeedsOutputFile;
        fresh.expect = Expect::Succeeds;
        fresh.prepare = [](Cell& cell, std::string&) {
            cell.outputPath = cell.dir->File("out.crv");
            return true;
        };
        fresh.checkFiles = [](const Cell& cell, const Result&) { InputKept(cell); };
        all.push_back(fresh);

        FaultRow replaced = fresh;
        replaced.name = "output_existing";
        replaced.prepare = [](Cell& cell, std::string&) {
            cell.outputPath = cell.dir->File("out.crv");
            std::ofstream(cell.outputPath) << "an older curve\n";
            ::chmod(cell.outputPath.c_str(), 0640);
            return true;
        };
        replaced.checkFiles = [](const Cell& cell, const Result&) {
            EXPECT_EQ(0640u, ModeOf(cell.outputPath) & 07777);
            InputKept(cell);
        };
        all.push_back(replaced);

        FaultRow linked = fresh;
        linked.name = "output_symlink";
        linked.prepare = [](Cell& cell, std::string&) {
            fs::create_directories(cell.dir->File("curves"));
            std::ofstream(cell.dir->File("curves/kept.crv")) << "an older curve\n";
            cell.outputPath = cell.dir->File("out.crv");
            fs::create_symlink("curves/kept.crv", cell.outputPath);
            return true;
        };
        linked.checkFiles = [](const Cell& cell, const Result& result) {
            EXPECT_TRUE(fs::is_symlink(cell.outputPath));
            EXPECT_EQ(result.output, ReadFile(cell.dir->File("curves/kept.crv")));
            InputKept(cell);
            ExpectNoLeftovers(cell.dir->File("curves"));
        };
        all.push_back(linked);

        all.push_back(RefusedOutput(
            "output_pipe",
            [](Cell& cell, std::string& why) {
                cell.outputPath = cell.dir->File("out.crv");
                why = "mkfifo failed";
                return ::mkfifo(cell.outputPath.c_str(), 0600) == 0;
            },
            [](const Cell& cell) { EXPECT_TRUE(S_ISFIFO(ModeOf(cell.outputPath))); }));
        all.push_back(RefusedOutput(
            "output_device",
            [](Cell& cell, std::string& why) {
                // A private copy of /dev/null: a writer that got this wrong harms nothing.
                cell.outputPath = cell.dir->File("null");
                why = "this machine does not let the test make a device file";
                return ::mknod(cell.outputPath.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
            },
            [](const Cell& cell) { EXPECT_TRUE(S_ISCHR(ModeOf(cell.outputPath))); }));
        all.push_back(RefusedOutput(
            "output_read_only",
            [](Cell& cell, std::string&) {
                cell.outputPath = cell.dir->File("out.crv");
                std::ofstream(cell.outputPath) << "precious\n";
                return ::chmod(cell.outputPath.c_str(), 0444) == 0;
            },
            [](const Cell& cell) {
                EXPECT_EQ("precious\n", ReadFile(cell.outputPath));
                EXPECT_EQ(0444u, ModeOf(cell.outputPath) & 07777);
            }));
        FaultRow itself = RefusedOutput(
            "output_is_input",
            [](Cell& cell, std::string&) {
                cell.outputPath = cell.inputPath;
                return true;
            },
            [](const Cell&) {});
        itself.needs |= NeedsInputFile;
        all.push_back(itself);
        all.push_back(RefusedOutput(
            "output_folder",
            [](Cell& cell, std::string&) {
                cell.outputPath = cell.dir->File("out.crv");
                return fs::create_directory(cell.outputPath);
            },
            [](const Cell& cell) { EXPECT_TRUE(fs::is_empty(cell.outputPath)); }));
        all.push_back(RefusedOutput(
            "output_missing_folder",
            [](Cell& cell, std::string&) {
                cell.outputPath = cell.dir->File("gone/out.crv");
                return true;
            },
            [](const Cell& cell) { EXPECT_FALSE(fs::exists(cell.dir->File("gone"))); }));

        // What the user chose to read.
        all.push_back(InputFault(
            "input_missing", [](Cell& cell, std::string&) { return fs::remove(cell.inputPath); },
            [](const Cell& cell) { EXPECT_FALSE(fs::exists(cell.inputPath)); }));
        all.push_back(InputText("input_empty", ""));
        {
            // Binary bytes, then one line far longer than any line of a file
            // the utility reads, without a line end.
            std::string garbage("\x7f"
                                "ELF\x02\x01\x01\0\0\0\xff\xfe\r\n;\n",
                                16);
            garbage += std::string(100000, 'x');
            all.push_back(InputText("input_garbage", garbage));
        }
        all.push_back(InputFault(
            "input_folder",
            [](Cell& cell, std::string&) {
                fs::remove(cell.inputPath);
                return fs::create_directory(cell.inputPath);
            },
            [](const Cell& cell) {
                EXPECT_TRUE(fs::is_directory(cell.inputPath));
                EXPECT_TRUE(fs::is_empty(cell.inputPath));
            }));
        // A pipe nobody writes to: refused at once, not waited on forever.
        all.push_back(InputFault(
            "input_pipe",
            [](Cell& cell, std::string& why) {
                fs::remove(cell.inputPath);
                why = "mkfifo failed";
                return ::mkfifo(cell.inputPath.c_str(), 0600) == 0;
            },
            [](const Cell& cell) { EXPECT_TRUE(S_ISFIFO(ModeOf(cell.inputPath))); }));

        // The settings file, as users keep it (or break it).
        all.push_back(SettingsFault(
            "settings_hand_edited", Expect::Succeeds,
            [](Cell& cell, std::string&) {
                std::ofstream(cell.settingsPath, std::ios::app)
                    << "\n# notes of the lab\nsomething the program does not know\n";
                return true;
            },
            [](const Cell& cell, const Result& result) {
                SettingsKept(cell, result);
                const std::string text = ReadFile(cell.settingsPath);
                EXPECT_NE(std::string::npos,
                          text.find("\n# notes of the lab\nsomething the program does not know\n"));
            }));
        all.push_back(SettingsFault(
            "settings_over_4MiB", Expect::Succeeds,
            [](Cell& cell, std::string&) {
                std::string notes = "[Notes]\n";
                for (int i = 0; notes.size() <= CSettingsStore::MaxFileSize; ++i)
                    notes += "Note" + std::to_string(i) + "=" + std::string(990, 'n') + "\n";
                std::ofstream(cell.settingsPath, std::ios::app) << notes << "[Last]\nKept=1\n";
                return true;
            },
            [](const Cell& cell, const Result&) {
                // Never saved over: not one byte changed, the part beyond 4 MiB kept.
                EXPECT_TRUE(ReadFile(cell.settingsPath) == cell.settingsBefore)
                    << "the settings file was written over";
                ExpectNoLeftovers(cell.dir->Path());
            }));
        all.push_back(SettingsFault(
            "settings_symlink", Expect::Succeeds,
            [](Cell& cell, std::string&) {
                fs::create_directories(cell.dir->File("dotfiles"));
                fs::rename(cell.settingsPath, cell.dir->File("dotfiles/Tundrix.INI"));
                fs::create_symlink("dotfiles/Tundrix.INI", cell.settingsPath);
                return true;
            },
            [](const Cell& cell, const Result& result) {
                EXPECT_TRUE(fs::is_symlink(cell.settingsPath));
                SettingsKept(cell, result);
            }));
        all.push_back(SettingsFault(
            "settings_read_only", Expect::Succeeds,
            [](Cell& cell, std::string&) { return ::chmod(cell.settingsPath.c_str(), 0444) == 0; },
            [](const Cell& cell, const Result& result) {
                EXPECT_EQ(0444u, ModeOf(cell.settingsPath) & 07777);
                SettingsKept(cell, result);
            }));
        // Without its settings an in-process operation may not find its port:
        // it must still end, and say why.
        all.push_back(SettingsFault(
            "settings_pipe", Expect::Bounded,
            [](Cell& cell, std::string& why) {
                fs::remove(cell.settingsPath);
                why = "mkfifo failed";
                return ::mkfifo(cell.settingsPath.c_str(), 0600) == 0;
            },
            [](const Cell& cell, const Result&) {
                EXPECT_TRUE(S_ISFIFO(ModeOf(cell.settingsPath)));
            }));
        return all;
    }();
    return rows;
}

} // namespace faults
