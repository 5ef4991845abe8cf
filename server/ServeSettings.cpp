#include "server/ServeSettings.h"

#include "base/SettingsStore.h"

namespace {

constexpr const char* Section = "ShareInstrument";

} // namespace

ServeOptions ReadServeSettings(const CSettingsStore& settings) {
    ServeOptions options;
    std::string why;
    const std::string address = settings.GetString(Section, "Address", "127.0.0.1");
    if (auto listen = ParseListen(address, options, why))
        options.address = listen->address;
    const int port = settings.GetInt(Section, "Port", ServeOptions::DefaultPort);
    if (port >= 0 && port <= 65535)
        options.port = port;
    if (auto allow = ParseAllowList(settings.GetString(Section, "Allow", ""), why))
        options.allow = *allow;
    options.readOnly = settings.GetInt(Section, "ReadOnly", 0) != 0;
    const int clients = settings.GetInt(Section, "MaxClients", ServeOptions::DefaultMaxClients);
    if (clients >= 1 && clients <= ServeOptions::MaxMaxClients)
        options.maxClients = clients;
    return options;
}

bool WriteServeSettings(CSettingsStore& settings, const ServeOptions& options) {
    return settings.WriteString(Section, "Address", AddressText(options.address)) &&
           settings.WriteInt(Section, "Port", options.port) &&
           settings.WriteString(Section, "Allow", AllowListText(options.allow)) &&
           settings.WriteInt(Section, "ReadOnly", options.readOnly ? 1 : 0) &&
           settings.WriteInt(Section, "MaxClients", options.maxClients);
}
