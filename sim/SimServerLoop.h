#pragma once

#include "sim/SimTransport.h"

#include <chrono>
#include <vector>

// The one loop that serves every transport of a simulator process, so that a
// pseudo-terminal, a TCP port and a GPIB socket all reach the same controller
// from one thread. It also watches descriptors that end the service: standard
// input reaching end of file, a signal's self-pipe.
class CSimServerLoop {
public:
    enum class StopWhen {
        EndOfFile, // data read from it is thrown away; stop when it ends
        AnyInput,  // stop as soon as it is readable
    };

    // The longest single wait, so that no wait is ever unbounded.
    static constexpr std::chrono::milliseconds MaxWait{1000};

    void AddTransport(CSimTransport& transport) { transports_.push_back(&transport); }
    void AddStopDescriptor(int fd, StopWhen when) { stops_.push_back({fd, when}); }

    // Serves until a stop descriptor fires. 0, or the errno of a failed poll.
    int Run();

private:
    struct Stop {
        int fd = -1;
        StopWhen when = StopWhen::EndOfFile;
    };

    // True when this wake-up ends the service.
    bool CheckStop(Stop& stop, short revents);
    int WaitMilliseconds(CSimTransport::Clock::time_point now) const;

    std::vector<CSimTransport*> transports_;
    std::vector<Stop> stops_;
};
