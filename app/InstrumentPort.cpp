#include "app/InstrumentPort.h"

#include "app/VantorCore.h"
#include "base/SettingsStore.h"
#include "comm/CommLink.h"
#include "comm/MyIPAddr.h"
#include "comm/ResourceString.h"

namespace {

PortOpening Refused(std::string error) {
    return {PortOpening::Refused, std::move(error)};
}

PortOpening Connected(CCommLink& link) {
    return link.ConnectLAN() == 1 ? PortOpening{} : PortOpening{PortOpening::Failed, {}};
}

} // namespace

PortOpening OpenInstrumentPort(CVantorCore& core, CSettingsStore& settings,
                               const std::optional<std::string>& port) {
    CCommLink& link = core.Link();
    if (!port) {
        link.LoadSettings();
        return link.GetPortType() == PortLAN ? Connected(link) : PortOpening{};
    }
    if (port->empty())
        return Refused("the resource is empty (for example ASRL/dev/ttyUSB0::INSTR; leave "
                       "--port out to use the settings)");
    std::string error;
    auto resource = ParseResource(*port, settings, error);
    if (!resource)
        return Refused(error);
    switch (resource->portType) {
    case PortGPIB:
        link.UseGpibAddress(resource->gpibAddress);
        return {};
    case PortLAN: {
        auto address = MyIPAddr::Resolve(resource->ipAddress, error);
        if (!address)
            return Refused(error);
        link.UseLanAddress(*address, resource->ipPort);
        return Connected(link);
    }
    default:
        link.UseSerialDevice(resource->device, resource->baudIndex);
        return {};
    }
}
