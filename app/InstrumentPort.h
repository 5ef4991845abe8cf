#pragma once

#include <optional>
#include <string>

class CSettingsStore;
class CVantorCore;

// How opening the instrument's port went, for a front end without windows.
struct PortOpening {
    enum Result {
        Opened,
        Failed,  // the LAN connection failed; the link's boxes have said why
        Refused, // the resource string is empty or does not name a port; `error` says why
    };
    Result result = Opened;
    std::string error;
};

// Opens the port named by a resource string (`port` given), else the one of
// the settings, as the utility does; a LAN instrument is connected at once,
// since a front end without a Connect command has no other chance.
PortOpening OpenInstrumentPort(CVantorCore& core, CSettingsStore& settings,
                               const std::optional<std::string>& port);
