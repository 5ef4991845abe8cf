#pragma once

#include <string>
#include <vector>

#include "curves/ReferencePointDialog.h"

// A temperature and the sensor's value there, as typed into one dialog row.
struct GivenPoint {
    float temperature = 0.0f;
    float value = 0.0f;
};

// The reference-point dialog answered as given: each opening takes the next
// answer, one point per row from the top, and cancels when none is left. Like
// the real dialog it does not close on a value outside its range: it gives
// up instead (cancels) and keeps the validation message. It keeps every form
// it was opened with.
class CGivenReferencePoints : public IReferencePointDialog {
public:
    std::vector<std::vector<GivenPoint>> answers;

    std::vector<ReferenceForm> opened;
    // The answer it gave up on: the row (counted from 1; 0 when the answer
    // has the wrong number of points) and the field's name with the
    // validation message; "" when none was refused.
    int refusedRow = 0;
    std::string refusal;

    // The answer to a curve with values at or below 0, and the text it was
    // asked with ("" when it was not asked).
    bool keepNonpositive = false;
    std::string nonpositiveQuestion;

    bool EnterReferencePoints(ReferenceForm& form) override;
    bool KeepNonpositiveCurve(std::string_view text) override;
};
