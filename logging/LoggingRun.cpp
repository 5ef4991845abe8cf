#include "logging/LoggingRun.h"

#include <ctime>
#include <mutex>
#include <optional>

#include "base/DecimalText.h"
#include "base/Event.h"
#include "base/FileChooser.h"
#include "base/ProposedFileName.h"
#include "base/SettingsStore.h"
#include "base/TransactionMutex.h"
#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "comm/CommandLine.h"
#include "comm/FeatureTable.h"
#include "comm/RS232Hints.h"
#include "comm/ReplyShapes.h"
#include "comm/UserOptions.h"
#include "logging/LogFormat.h"

namespace {

constexpr std::string_view CsvExtension = "csv";
constexpr std::string_view CsvFilter = "MSExcel Comma Separated Value Files(*.csv)|*.csv||";
// The proposed file name: "DataLog_20240501_143210.csv", a new one for every run.
constexpr std::string_view LogFileStem = "DataLog";
// An identification longer than this means the instrument is not itself.
constexpr std::size_t MaxIdnLength = 64;

} // namespace

void CLoggingRun::Start() {
    if (ui_ == nullptr)
        return;
    // A run is reached again through its window, whose close box only hides it.
    if (state_.IsActive()) {
        ui_->progress.ShowProgress();
        return;
    }
    DataLogSetupData setup;
    setup.interval = context_.loggingInterval.load();
    setup.enableFlags = SourceEnableFlags(context_.features);
    if (ui_->setup.RunDataLogSetup(setup))
        Begin(setup);
    // In every case, so that "Apply" then "Cancel" keeps the new interval.
    StoreInterval(setup.interval);
}

void CLoggingRun::Begin(const DataLogSetupData& setup) {
    ui_->files.ProposeSaveName(TimestampedFileName(LogFileStem, CsvExtension, std::time(nullptr)));
    const std::optional<std::string> path = ui_->files.ChooseSaveFile(CsvExtension, CsvFilter);
    if (!path)
        return;
    LogSourceFlags sources;
    DataLoggingFields fields;
    std::array<int, 3> nextSlot = LogSourceGroupStart;
    for (int i = 0; i < LogSourceCount; ++i) {
        if ((setup.mask & (1u << i)) == 0 || !IsSourceRecorded(i, context_.features))
            continue;
        sources.set(static_cast<std::size_t>(i));
        const int slot = nextSlot[static_cast<std::size_t>(LogSourceGroupOf(i))]++;
        fields.sources[static_cast<std::size_t>(slot)] =
            LogSources[static_cast<std::size_t>(i)].text;
    }
    state_.SetSources(sources);
    fields.entries = "0";
    fields.interval = FormatDecimal(setup.interval, 1, 8);
    fields.outputFile = *path;
    ui_->progress.SetFields(fields);

    // Like every other handler, the start waits at most TransactionLockWait for
    // the link; a link that stays busy ends the start with no run and no file.
    std::unique_lock lock(context_.transactionMutex, std::defer_lock);
    if (!lock.try_lock_for(TransactionLockWait))
        return;
    std::string identity;
    const LinkResult identified = context_.link.Query("*idn?;", identity);
    lock.unlock();
    if (identified < 0)
        CommunicationError();
    if (identity.size() > MaxIdnLength) {
        context_.boxes.ShowMessage("ID response is too long.\n \t\t\t            The unit is not "
                                   "functioning correctly.",
                                   MessageIcon::Information);
        return;
    }
    if (identified != Link::Success)
        return;

    if (!lock.try_lock_for(TransactionLockWait))
        return;
    // The names are asked before the file is made: a start that fails at them
    // leaves whatever stood at the path as it was.
    state_.SetPreciseTime(preciseTimeForced_ || ReadUserOption(context_.settings, PreciseTimeKey));
    std::string header;
    if (!QueryNames(sources, header)) {
        lock.unlock();
        CommunicationError();
        return;
    }
    if (!state_.CreateFile(*path, nullptr)) {
        lock.unlock();
        context_.log.AppendLog("Error! Can't open output file\n");
        return;
    }
    state_.Activate();
    ui_->progress.ShowProgress();
    lock.unlock();

    const std::string started = StartedLine(LocalNow());
    header += SamplingIntervalLine(setup.interval);
    header += ColumnTitleLine(sources);
    header += started;
    state_.AppendText(header);
    context_.log.AppendLog(started);

    // A tick left from an earlier run must not sample before this run's first one.
    context_.sampleEvent.Reset();
    state_.BeginSampling();
    timerSet_ = true;
    ui_->timer.SetLoggingTimer(LoggingTimerPeriod(setup.interval));
}

bool CLoggingRun::QueryNames(const LogSourceFlags& sources, std::string& header) {
    for (int i = 0; i < LogSourceCount; ++i) {
        const LogSource& source = LogSources[static_cast<std::size_t>(i)];
        if (!sources.test(static_cast<std::size_t>(i)) || source.namePrefix.empty())
            continue;
        const std::string query =
            std::string(source.namePrefix) + (source.isChannel ? ":NAME?;UNITS?;" : ":NAME?;");
        std::string reply;
        if (context_.link.Query(query, reply) != Link::Success)
            return false;
        // A name is free text, but not a control character; a unit is the instrument's.
        const std::string_view text = WithoutLineEnd(reply);
        const std::string replyTo = "reply to \"" + query + "\"";
        std::string why;
        if (const auto control = ControlCharacter(text))
            why = replyTo + " holds the control character " + *control;
        else if (source.isChannel && (text.find(';') == std::string_view::npos ||
                                      !IsInstrumentUnit(text.substr(text.find(';') + 1))))
            why = replyTo + " ends in no unit of the instrument: \"" + std::string(text) + "\"";
        if (!why.empty()) {
            context_.link.RefuseReply(why);
            return false;
        }
        // The instrument's line end stays in the line, as its own utility
        // writes it, unless the user chose lines a spreadsheet reads whole.
        const std::string_view named = state_.PreciseTime() ? text : std::string_view(reply);
        header += source.isChannel ? ChannelNameLine(source.namePrefix, named)
                                   : OutputNameLine(source.namePrefix, named);
    }
    return true;
}

void CLoggingRun::Stop() {
    if (timerSet_.exchange(false) && ui_ != nullptr)
        ui_->timer.KillLoggingTimer();
    const std::tm now = LocalNow();
    if (state_.End(now))
        context_.log.AppendLog(TerminatedLine(now));
}

void CLoggingRun::OnCommError() {
    // The failed sample was never counted: rows are counted as they are
    // written, so the count already equals the rows in the file.
    CommunicationError();
    if (ui_ != nullptr)
        ui_->progress.PressStop();
    else
        Stop();
}

void CLoggingRun::OnLogCount() {
    if (ui_ != nullptr)
        ui_->progress.SetEntries(std::to_string(state_.Entries()));
}

void CLoggingRun::StoreInterval(double seconds) {
    context_.loggingInterval = seconds;
    context_.settings.WriteString("LOG", "INTERVAL", IntervalSettingText(seconds));
}

void CLoggingRun::CommunicationError() {
    context_.boxes.ShowMessage("Communication Error", MessageIcon::Stop);
    ShowRS232Hints(context_.link, context_.log);
}
