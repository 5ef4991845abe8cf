#include "curves/UnitCode.h"

namespace {

constexpr const char* ListEntries[UnitListSize] = {"Volts", "mVolts", "Ohms", "LogOhms"};
constexpr const char* ListTexts[UnitListSize] = {"Volts", "mVolts", "Ohms", "LogOhm"};
constexpr const char* AxisLabels[UnitListSize] = {"( Volts )", "( mVolts )", "(Ohms)", "(LogOhms)"};

int ValidIndex(int index) {
    return index >= 0 && index < UnitListSize ? index : 0;
}

} // namespace

const char* UnitListEntry(int index) {
    return ListEntries[ValidIndex(index)];
}

int UnitListIndex(UnitCode unit) {
    switch (unit) {
    case UnitMilliVolts:
        return 1;
    case UnitOhms:
        return 2;
    case UnitLogOhms:
        return 3;
    default:
        return 0;
    }
}

const char* UnitTextOfListIndex(int index) {
    return ListTexts[ValidIndex(index)];
}

const char* UnitAxisLabel(UnitCode unit) {
    return AxisLabels[UnitListIndex(unit)];
}
