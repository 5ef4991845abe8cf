#include "faults/OperationRuns.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <thread>

#include <gtest/gtest.h>

#include "comm/MyIPAddr.h"

namespace faults {

Result FromProgram(const ProgramResult& run) {
    Result result;
    result.succeeded = run.exitCode == 0;
    result.output = run.out;
    result.messages = run.err;
    result.crashed = run.exitCode < 0 || run.err.find("Sanitizer") != std::string::npos ||
                     run.err.find("runtime error:") != std::string::npos;
    return result;
}

InProcess::InProcess(const Cell& cell) : settings(cell.settingsPath) {
    settings.Load();
    dialogs.gpibAddress = 12;
    dialogs.ipAddress = MyIPAddr::Parse("127.0.0.1");
    dialogs.ipPort = cell.TcpPort();
    dialogs.portIndex = 1; // COM2, the simulator's pseudo-terminal
    dialogs.baudIndex = 0;
    core.Link().SetDialogs(&dialogs);
    core.Link().LoadSettings();
}

void InProcess::ConnectLan(const Cell& cell) {
    if (cell.transport == Transport::Lan)
        core.Link().ConnectLAN();
}

Result InProcess::Finish(bool succeeded, std::string output) {
    Result result;
    result.succeeded = succeeded;
    result.output = std::move(output);
    result.messages = ui.Log();
    for (const auto& text : ui.BoxTexts())
        result.messages += "[box] " + text + "\n";
    std::unique_lock lock(core.TransactionMutex(), std::try_to_lock);
    result.mutexFree = lock.owns_lock();
    return result;
}

std::string RegularFileText(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    return ReadFile(path);
}

std::string TranscriptUntil(const Cell& cell, const std::string& lastLine) {
    const std::string end = lastLine + "\n";
    std::string text;
    for (int i = 0; i < 200; ++i) {
        text = ReadFile(cell.transcriptPath);
        if (text.size() >= end.size() &&
            text.compare(text.size() - end.size(), end.size(), end) == 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return text;
}

std::string MaskDigits(const std::string& text) {
    std::string masked;
    for (char c : text) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit)
            masked += c;
        else if (masked.empty() || masked.back() != '#')
            masked += '#';
    }
    return masked;
}

void EarlierFileKept(const Cell& cell, const Result& result) {
    const std::string now = RegularFileText(cell.outputPath);
    if (result.succeeded) {
        EXPECT_EQ(result.output, now) << "the file written is not what the operation reported";
    } else {
        EXPECT_EQ(EarlierFile, now) << "a failed operation changed the user's earlier file";
    }
    NoTemporaryFiles(cell);
}

void NoTemporaryFiles(const Cell& cell) {
    for (const auto& entry : std::filesystem::directory_iterator(cell.dir->Path()))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find(".tmp")) << entry.path();
}

} // namespace faults
