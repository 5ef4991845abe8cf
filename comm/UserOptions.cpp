#include "comm/UserOptions.h"

#include "base/SettingsStore.h"

bool ReadUserOption(const CSettingsStore& settings, const char* key) {
    return settings.GetInt(UserOptionsSection, key, 0) != 0;
}

bool StoreUserOption(CSettingsStore& settings, const char* key, bool on) {
    return settings.WriteInt(UserOptionsSection, key, on ? 1 : 0);
}
