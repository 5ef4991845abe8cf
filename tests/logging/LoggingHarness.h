#pragma once

#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/Event.h"
#include "base/FileChooser.h"
#include "base/SettingsStore.h"
#include "base/TransactionMutex.h"
#include "comm/CommLink.h"
#include "comm/FeatureTable.h"
#include "logging/LoggingRun.h"
#include "logging/PollingWorker.h"
#include "logging/WorkerEvents.h"
#include "support/NoFeatureListener.h"
#include "support/TestUi.h"
#include "support/WholeFile.h"

// The setup dialog, answered as the test says: the interval the user leaves
// in the field, the boxes ticked, and whether "Start" or "Cancel" ends it.
class ScriptedSetup : public IDataLogSetup {
public:
    bool start = true;
    std::uint16_t mask = 0;
    std::optional<double> interval; // typed and applied
    int runs = 0;
    DataLogSetupData offered;

    bool RunDataLogSetup(DataLogSetupData& data) override {
        ++runs;
        offered = data;
        if (interval)
            data.interval = *interval;
        if (start)
            data.mask = mask;
        return start;
    }
};

class ScriptedFiles : public IFileChooser {
public:
    std::optional<std::string> path;
    int asked = 0;
    std::string extension, filter;
    std::vector<std::string> proposed; // ProposeSaveName, in order

    std::optional<std::string> ChooseOpenFile(std::string_view, std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseSaveFile(std::string_view ext, std::string_view f) override {
        ++asked;
        extension = std::string(ext);
        filter = std::string(f);
        return path;
    }
    void ProposeSaveName(std::string_view fileName) override { proposed.emplace_back(fileName); }
};

// The progress window as a record; its "Stop" hides it and stops the run.
class RecordedProgress : public IDataLoggingProgress {
public:
    DataLoggingFields fields;
    bool shown = false;
    int stops = 0;
    std::function<void()> onStop;

    void SetFields(const DataLoggingFields& f) override { fields = f; }
    void ShowProgress() override { shown = true; }
    void SetEntries(std::string_view entries) override { fields.entries = std::string(entries); }
    void PressStop() override {
        ++stops;
        shown = false;
        if (onStop)
            onStop();
    }
};

class RecordedTimer : public ILoggingTimer {
public:
    std::optional<std::chrono::milliseconds> period;
    int sets = 0, kills = 0;
    void SetLoggingTimer(std::chrono::milliseconds p) override {
        period = p;
        ++sets;
    }
    void KillLoggingTimer() override {
        period.reset();
        ++kills;
    }
};

// The view's side of the worker's messages: handled at once on the worker's
// thread, as the GUI handles them while the worker waits.
class RunEvents : public IWorkerEvents {
public:
    explicit RunEvents(CLoggingRun& run) : run_(run) {}
    void MonitorReadingArrived(int, const MonitorReading&) override {}
    void Disconnected(int status) override {
        std::lock_guard lock(mutex_);
        disconnects.push_back(status);
    }
    void LoggingCommError() override {
        ++commErrors;
        run_.OnCommError();
    }
    void LogCountChanged() override {
        ++logCounts;
        run_.OnLogCount();
    }
    std::vector<int> Disconnects() {
        std::lock_guard lock(mutex_);
        return disconnects;
    }

    std::atomic<int> commErrors{0};
    std::atomic<int> logCounts{0};

private:
    CLoggingRun& run_;
    std::mutex mutex_;
    std::vector<int> disconnects;
};

// Everything a logging run shares with the program, without the program.
struct LoggingHarness {
    CSettingsStore settings{""};
    TestUi ui;
    CCommLink link{settings, ui, ui, ui};
    CTransactionMutex mutex;
    CEvent stopEvent, sampleEvent;
    NoListener listener;
    CFeatureTable features{listener};
    std::atomic<int> active{0};
    std::atomic<double> interval{30.0};
    CLoggingRun run{{link, mutex, sampleEvent, features, active, interval, settings, ui, ui}};
    ScriptedSetup setup;
    ScriptedFiles files;
    RecordedProgress progress;
    RecordedTimer timer;
    LoggingUi loggingUi{setup, progress, files, timer};
    RunEvents events{run};
    CPollingWorker worker{{link, mutex, stopEvent, sampleEvent, run.State()}, events};

    LoggingHarness() {
        run.AttachUi(&loggingUi);
        progress.onStop = [this] { run.Stop(); };
    }
};

// The file's lines without their CR LF.
inline std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    const std::string text = ReadFile(path);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}
