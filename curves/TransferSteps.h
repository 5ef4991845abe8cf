#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct TransferContext;
class CCommLink;

// Steps the curve and PID table transfers share.

// "Communication Error" (stop icon), then the RS232 hints.
void ShowCommunicationError(const TransferContext& context);
// "Communication connection failed" after a failed table read, then the RS232 hints.
void ShowConnectionFailed(const TransferContext& context);

// The leading decimal integer of a reply ("200\r\n" is 200); 0 when it has none.
int LeadingCount(std::string_view reply);

// The lines of a table as the link read it: split at line feeds, a carriage
// return before one dropped, up to the line that begins with ";" (a GPIB
// table has none).
std::vector<std::string> TableLines(std::string_view table);

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
