#pragma once

class CCommLink;
class IMessageLog;

// After a communication error on RS232: the five hint lines in the message
// log. Nothing on the other transports.
void ShowRS232Hints(const CCommLink& link, IMessageLog& log);
