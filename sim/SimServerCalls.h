#pragma once

#include <string>

#include "sim/SimTransport.h"

// System calls the simulator's servers make alike.

// "what: " and the text of errno, for a step of setting up a server that failed.
std::string Failure(const std::string& what);

// The next connection waiting on `listener`, non-blocking and closed on exec;
// -1 when none is waiting. When the process is out of descriptors or memory,
// accepting pauses: `pausedUntil` is set a moment ahead, since the listener
// stays readable and polling it again at once would only spin.
int AcceptConnection(int listener, CSimTransport::Clock::time_point now,
                     CSimTransport::Clock::time_point& pausedUntil);
