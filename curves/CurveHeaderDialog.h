#pragma once

#include <string>

#include "curves/SensorCurve.h"

// What the curve header dialog is opened with and what it gives back.
struct CurveHeader {
    // Shown for review, edited in place when accepted.
    std::string name;
    std::string type;
    float multiplier = 1.0f;
    // Shown, never changed: the unit list starts at this unit; "Number of Pts:".
    UnitCode unit = UnitVolts;
    int count = 0;
    // The source file name contains ".crv": "Save as .crv file" is disabled.
    bool sourceIsCrv = false;
    // "Save as .crv file": the tick it opens with and, when accepted, the tick it closed with.
    bool saveAsCrv = false;
    // Given back when accepted: the text of the unit chosen in the list.
    std::string unitText;
};

// The curve header dialog ("Edit Curve Header:"), in which the user reviews a
// curve's header before it is sent or saved. The GUI shows the real dialog,
// the CLI and the tests answer as they were told.
class ICurveHeaderDialog {
public:
    virtual ~ICurveHeaderDialog() = default;
    // True on "Accept", with the fields given back in `header`; false on
    // "Abort". `plot` is what "Display Curve" draws; without it that button
    // shows "Null Pointer".
    virtual bool EditCurveHeader(CurveHeader& header, const CurvePlotData* plot) = 0;
};

// The file name contains ".crv": it is read as a .crv file, and the header
// dialog disables "Save as .crv file".
bool IsCrvName(const std::string& fileName);

// Opens the header dialog on the header of `curve`, read from `fileName`,
// with "Save as .crv file" ticked as `header.saveAsCrv` says. When accepted,
// the edited name, type, multiplier and unit text go into the curve and
// `header` holds what the dialog gave back. False on "Abort".
bool ReviewCurveHeader(ICurveHeaderDialog& dialog, const std::string& fileName, SensorCurve& curve,
                       CurveHeader& header);
