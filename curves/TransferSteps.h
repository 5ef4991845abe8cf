#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TableShape;
struct TransferContext;
class CCommLink;

// Steps the curve and PID table transfers share.

// "Communication Error" (stop icon), then the RS232 hints.
void ShowCommunicationError(const TransferContext& context);
// "Communication connection failed" after a failed table read, then the RS232 hints.
void ShowConnectionFailed(const TransferContext& context);

// Reads a table the instrument announces: `countQuery` for its entry count,
// the instrument's pause `pause`, then the link's table read of `tableQuery`
// with the progress caption, the table checked against `shape` (every entry
// there, each one an entry, ended by its ";"). The table text as received,
// or nothing after a failure (the reason in the log; "Communication Error"
// when the count failed, "Communication connection failed" when the table
// did, and the hints).
struct AnnouncedTable {
    std::string text;
    int entries = 0;
};
std::optional<AnnouncedTable>
ReadAnnouncedTable(const TransferContext& context, const std::string& countQuery,
                   const std::string& tableQuery, const TableShape& shape,
                   std::chrono::milliseconds pause, const std::string& caption);

// The lines of a table as the link read it: split at line feeds, a carriage
// return before one dropped, up to the line that begins with ";" (a GPIB
// table has none).
std::vector<std::string> TableLines(std::string_view table);

// After a download: `countQuery` answers `sent`, the entries that went out.
// False when it does not, or could not be asked, with the reason in the log
// ("User Curve 2 holds 3 entries, 4 were sent").
bool ConfirmEntries(const TransferContext& context, const std::string& countQuery, int sent,
                    const std::string& what);
// The box of a download that ended with errors.
inline constexpr const char* SendErrorText =
    "Error detected. Please check and correct the displayed error logs on screen.  ";

// Saves an uploaded table into the file the user chose, exactly as received:
// whole or not at all, an earlier file kept when the write fails. Written:
// "Upload Complete", the text in the log, then `doneLine` ("User Curve %d is
// uploaded to %s\n"). Not written: "Failed to create file", and the log says
// why. False when not written.
bool SaveUploadedTable(const TransferContext& context, const std::string& fileName,
                       const std::string& table, const std::string& doneLine);

// How long an RS232 line takes to carry `bytes` at the port's rate (10 bits a
// byte); 0 on GPIB and LAN, whose sends end when the instrument has the line.
std::chrono::milliseconds LineTime(const CCommLink& link, std::size_t bytes);

// printf for the fixed texts of the transfers ("User Curve %d is ...").
std::string Format(const char* format, int number);
std::string Format(const char* format, int number, const std::string& text);
