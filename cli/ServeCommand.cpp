#include "cli/ServeCommand.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>

#include "app/VantorCore.h"
#include "cli/ExitStatus.h"
#include "cli/NumberOptions.h"
#include "cli/StopSignals.h"

std::string CheckServeOptions(ServeCommandOptions& options) {
    ServeOptions parsed;
    std::string why;
    if (options.listen) {
        auto listen = ParseListen(*options.listen, parsed, why);
        if (!listen)
            return "--listen " + why;
        parsed = *listen;
    }
    for (const std::string& text : options.allow) {
        auto rule = ParseAllowRule(text, why);
        if (!rule)
            return "--allow " + why;
        parsed.allow.push_back(*rule);
    }
    parsed.readOnly = options.readOnly;
    if (options.maxClientsText) {
        int count = 0;
        if (std::string refusal = ParseCountOption("--max-clients", *options.maxClientsText, count);
            !refusal.empty())
            return refusal;
        parsed.maxClients = count;
    }
    if (options.idleText) {
        double seconds = 0;
        if (std::string refusal =
                ParseSecondsOption("--idle", *options.idleText, 0.1, 86400.0, seconds);
            !refusal.empty())
            return refusal;
        parsed.idleTimeout = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    }
    if (std::string problem = parsed.Problem(); !problem.empty())
        return problem;
    options.parsed = parsed;
    return {};
}

int RunServe(CVantorCore& core, const ServeOptions& options) {
    if (!core.Identify()) {
        std::fprintf(stderr, "tundrix-cli: No Device\n");
        return ExitFailed;
    }
    // Before the server's threads start, so that the signals come here.
    CStopSignals signals;
    std::string why;
    if (!core.StartSharing(options, why)) {
        std::fprintf(stderr, "tundrix-cli: serve: %s\n", why.c_str());
        return ExitFailed;
    }
    // For scripts that asked for any free port.
    std::printf("serve: %s:%d\n", AddressText(options.address).c_str(), core.Sharing()->Port());
    std::fflush(stdout);
    pollfd stop{signals.Fd(), POLLIN, 0};
    int ready = 0;
    while ((ready = ::poll(&stop, 1, -1)) == 0 || (ready < 0 && errno == EINTR)) {
    }
    signals.Consume();
    core.StopSharing();
    return 0;
}
