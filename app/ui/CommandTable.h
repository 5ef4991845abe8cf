#pragma once

#include <array>
#include <string_view>

#include "app/CommandRules.h"

// The menu bar, left to right.
inline constexpr std::array<std::string_view, 6> MenuTitles{
    "&Comm", "&Operations", "&Data Logging", "&View", "&Help", "&User Options"};

// One item of the main window's menus. The table below holds every command in
// the order of its menu; a sub-menu comes where its first item does.
struct CommandInfo {
    MenuCommand command;
    std::string_view menu; // the menu's path, levels joined by "/": "&Operations/CalGen/Diode"
    std::string_view text;
    std::string_view prompt; // shown in the status bar while the item is highlighted; "" for none
    bool built;              // false until the command's operation is part of the program
    bool separatorBefore = false;
};

extern const std::array<CommandInfo, MenuCommandCount> CommandTable;

const CommandInfo& CommandInfoOf(MenuCommand command);
