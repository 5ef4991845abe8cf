#include "comm/RS232Hints.h"

#include "base/UserInterface.h"
#include "comm/CommLink.h"

void ShowRS232Hints(const CCommLink& link, IMessageLog& log) {
    if (link.GetPortType() != PortRS232)
        return;
    for (const char* line :
         {"Please check the followings for RS232 connection:\n",
          "- RS232 null modem cable connection\n", "- Controller Remote I/O Port Select is RS232\n",
          "- Matching Baud Rates\n", "- Comm port selection\n"})
        log.AppendLog(line);
}
