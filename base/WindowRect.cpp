#include "base/WindowRect.h"

#include "base/SettingsStore.h"

WindowRect ReadWindowRect(const CSettingsStore& settings, std::string_view section) {
    return {settings.GetInt(section, "WinLeft", 0), settings.GetInt(section, "WinTop", 0),
            settings.GetInt(section, "WinRight", 0), settings.GetInt(section, "WinBottom", 0)};
}

bool WriteWindowRect(CSettingsStore& settings, std::string_view section, const WindowRect& rect) {
    bool ok = settings.WriteInt(section, "WinLeft", rect.left);
    ok = settings.WriteInt(section, "WinTop", rect.top) && ok;
    ok = settings.WriteInt(section, "WinRight", rect.right) && ok;
    return settings.WriteInt(section, "WinBottom", rect.bottom) && ok;
}
