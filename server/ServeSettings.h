#pragma once

#include "server/ServeOptions.h"

class CSettingsStore;

// The window's last choice of how to share the instrument, in section
// "ShareInstrument" (keys Address, Port, Allow, ReadOnly, MaxClients). A value
// that does not parse gives way to the default.
ServeOptions ReadServeSettings(const CSettingsStore& settings);
// False when the settings file could not be written.
bool WriteServeSettings(CSettingsStore& settings, const ServeOptions& options);
