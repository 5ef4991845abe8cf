#pragma once

class CSettingsStore;

// Menu "&User Options": check items, each stored in section "UserOptions" as
// 0 or 1 (default 0, so that the default run is exactly the instrument's own).
inline constexpr const char* UserOptionsSection = "UserOptions";
// "End GPIB Replies at END" (CCommLink::SetGpibEndsReplies).
inline constexpr const char* GpibEndKey = "EndGpibRepliesAtEnd";

bool ReadUserOption(const CSettingsStore& settings, const char* key);
// False when the settings file could not be written (the value stays in memory).
bool StoreUserOption(CSettingsStore& settings, const char* key, bool on);
