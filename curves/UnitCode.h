#pragma once

// The numeric unit of a sensor curve. Codes other than these four (a ".340"
// data format of 2, for one) are kept as read and shown and handled as Volts.
enum UnitCode : int {
    UnitVolts = 0,
    UnitMilliVolts = 1,
    UnitOhms = 3,
    UnitLogOhms = 4,
};

// The entries of the header dialog's unit list, "Volts", "mVolts", "Ohms", "LogOhms".
inline constexpr int UnitListSize = 4;
const char* UnitListEntry(int index);
// The list entry that shows `unit`: 1 for mVolts, 2 for Ohms, 3 for LogOhms, else 0.
int UnitListIndex(UnitCode unit);
// The unit text the list entry stands for, as it is sent and written: the
// entry itself, except "LogOhm" for "LogOhms". An index outside the list gives "Volts".
const char* UnitTextOfListIndex(int index);
// The curve plot's axis label: "( Volts )", "( mVolts )", "(Ohms)" or "(LogOhms)".
const char* UnitAxisLabel(UnitCode unit);
