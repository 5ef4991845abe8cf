#include "curves/TransferSteps.h"

#include <cstdio>
#include <cstring>

#include "base/AtomicFile.h"
#include "base/BusyWait.h"
#include "base/DecimalText.h"
#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "comm/CommandLine.h"
#include "comm/ConnectionFailedBox.h"
#include "comm/ReplyShapes.h"
#include "comm/SerialPort.h"
#include "curves/TransferContext.h"

void ShowCommunicationError(const TransferContext& context) {
    context.boxes.ShowMessage("Communication Error", MessageIcon::Stop);
    if (context.showRS232Hints)
        context.showRS232Hints();
}

void ShowConnectionFailed(const TransferContext& context) {
    ShowConnectionFailedBox(context.boxes);
    if (context.showRS232Hints)
        context.showRS232Hints();
}

std::optional<AnnouncedTable>
ReadAnnouncedTable(const TransferContext& context, const std::string& countQuery,
                   const std::string& tableQuery, const TableShape& shape,
                   std::chrono::milliseconds pause, const std::string& caption) {
    std::string reply;
    std::optional<int> count;
    if (context.link.Query(countQuery, reply) == Link::Success) {
        count = ParseCount(reply);
        if (!count)
            context.link.RefuseReply("reply to \"" + countQuery + "\" is not a count: \"" +
                                     std::string(WithoutLineEnd(reply)) + "\"");
    }
    if (!count) {
        ShowCommunicationError(context);
        return std::nullopt;
    }
    // On the window's thread the windows keep painting through the pause.
    SleepPumped(pause);
    std::string table;
    const bool read = context.link.ReadTable(*count, caption, &tableQuery, &table) >= 0;
    std::string why;
    if (read && !CheckTable(tableQuery, table, *count, shape, why))
        context.link.RefuseReply(why);
    if (!read || !why.empty()) {
        ShowConnectionFailed(context);
        return std::nullopt;
    }
    return AnnouncedTable{std::move(table), *count};
}

std::vector<std::string> TableLines(std::string_view table) {
    std::vector<std::string> lines;
    while (!table.empty()) {
        std::size_t end = table.find('\n');
        std::string_view line = table.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line.front() == ';')
            break;
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        table.remove_prefix(end + 1);
    }
    return lines;
}

bool ConfirmEntries(const TransferContext& context, const std::string& countQuery, int sent,
                    const std::string& what) {
    std::string reply;
    if (context.link.QueryQuiet(countQuery, reply) != Link::Success) {
        context.log.AppendLog(what + " could not be read back after the download\n");
        return false;
    }
    const auto held = ParseCount(reply);
    if (held && *held == sent)
        return true;
    context.log.AppendLog(
        what + " holds " +
        (held ? std::to_string(*held) : "\"" + std::string(WithoutLineEnd(reply)) + "\"") +
        " entries, " + std::to_string(sent) + " were sent\n");
    return false;
}

bool SaveUploadedTable(const TransferContext& context, const std::string& fileName,
                       const std::string& table, const std::string& doneLine) {
    std::string error;
    if (!WriteFileAtomically(fileName, table, &error)) {
        context.boxes.ShowMessage("Failed to create file", MessageIcon::Warning);
        context.log.AppendLog("Failed to create file " + error + "\n");
        return false;
    }
    context.boxes.ShowMessage("Upload Complete", MessageIcon::Information);
    context.log.AppendLog(table);
    context.log.AppendLog(doneLine);
    return true;
}

std::chrono::milliseconds LineTime(const CCommLink& link, std::size_t bytes) {
    if (link.GetPortType() != PortRS232)
        return std::chrono::milliseconds(0);
    const int baud = BaudForRateCode(8 - link.GetBaudRate());
    if (baud <= 0)
        return std::chrono::milliseconds(0);
    return std::chrono::milliseconds(static_cast<long long>(bytes) * 10 * 1000 / baud + 1);
}

std::string Format(const char* format, int number) {
    char text[128];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

std::string Format(const char* format, int number, const std::string& text) {
    const int size = std::snprintf(nullptr, 0, format, number, text.c_str());
    std::string result(static_cast<std::size_t>(size > 0 ? size : 0) + 1, '\0');
    std::snprintf(result.data(), result.size(), format, number, text.c_str());
    result.resize(result.size() - 1);
    return result;
}
