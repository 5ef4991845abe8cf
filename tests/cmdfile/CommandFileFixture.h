#pragma once

#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "base/FileChooser.h"
#include "base/SettingsStore.h"
#include "base/TransactionMutex.h"
#include "cmdfile/CommandFileRunner.h"
#include "comm/CommLink.h"
#include "support/TempDir.h"
#include "support/TestUi.h"
#include "support/WholeFile.h"

// The open dialog of a run, answered with a given name or cancelled.
class ChosenFile : public IFileChooser {
public:
    std::optional<std::string> name;
    int asked = 0;
    std::optional<std::string> ChooseOpenFile(std::string_view extension,
                                              std::string_view filter) override {
        ++asked;
        EXPECT_EQ("xml", extension);
        EXPECT_EQ("XML Files (*.xml)|*.xml||", filter);
        return name;
    }
    std::optional<std::string> ChooseSaveFile(std::string_view, std::string_view) override {
        ADD_FAILURE() << "a command file run asks for no file to write";
        return std::nullopt;
    }
};

// One command file run on a link set up by the test: the file is written into
// a private folder, where the error log goes too.
class CommandFileRun {
public:
    explicit CommandFileRun(CCommLink& link) : link_(link) {
        files.name = dir.File("commands.xml");
        errorLogPath = dir.File("ErrorLog.txt");
    }

    CommandFileResult Run(const std::string& fileText) {
        WriteFile(dir.File("commands.xml"), fileText);
        return Run();
    }
    CommandFileResult Run() {
        CommandFileContext context{link_, mutex, log, standardOutput, files};
        context.errorLogPath = errorLogPath;
        return CCommandFileRunner(context).Run();
    }
    std::string ErrorLog() const { return ReadFile(errorLogPath); }

    TempDir dir;
    ChosenFile files;
    std::string errorLogPath;
    CTransactionMutex mutex;
    TestUi log;
    TestUi standardOutput;

private:
    CCommLink& link_;
};

inline const char* OutcomeName(CommandFileOutcome outcome) {
    switch (outcome) {
    case CommandFileOutcome::Cancelled:
        return "Cancelled";
    case CommandFileOutcome::NotOpened:
        return "NotOpened";
    case CommandFileOutcome::Completed:
        return "Completed";
    case CommandFileOutcome::Aborted:
        return "Aborted";
    }
    return "?";
}

inline void PrintTo(CommandFileOutcome outcome, std::ostream* out) {
    *out << OutcomeName(outcome);
}
