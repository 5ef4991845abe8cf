#include "curves/TransferSteps.h"

#include <cstdio>
#include <cstring>

#include "base/AtomicFile.h"
#include "base/DecimalText.h"
#include "base/UserInterface.h"
#include "comm/CommLink.h"
#include "comm/SerialPort.h"
#include "curves/TransferContext.h"

void ShowCommunicationError(const TransferContext& context) {
    context.boxes.ShowMessage("Communication Error", MessageIcon::Stop);
    if (context.showRS232Hints)
        context.showRS232Hints();
}

void ShowConnectionFailed(const TransferContext& context) {
    context.boxes.ShowMessage("Communication connection failed", MessageIcon::Stop);
    if (context.showRS232Hints)
        context.showRS232Hints();
}

int LeadingCount(std::string_view reply) {
    const int value = LeadingInteger(reply.substr(0, 32));
    return value < 0 || value > 1'000'000 ? 0 : value;
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
