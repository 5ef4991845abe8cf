#include "curves/GivenReferencePoints.h"

bool CGivenReferencePoints::EnterReferencePoints(ReferenceForm& form) {
    opened.push_back(form);
    if (answers.empty())
        return false;
    const std::vector<GivenPoint> answer = answers.front();
    answers.erase(answers.begin());
    if (answer.size() != form.rows.size()) {
        refusal = "the dialog has " + std::to_string(form.rows.size()) + " rows";
        refusedRow = 0;
        return false;
    }
    for (std::size_t i = 0; i < answer.size(); ++i) {
        const ReferenceRow& row = form.rows[i];
        refusedRow = static_cast<int>(i) + 1;
        if (!row.temperatureRange.Holds(answer[i].temperature)) {
            refusal = "Temperature: " + OutOfRangeText(row.temperatureRange);
            return false;
        }
        if (!row.valueRange.Holds(answer[i].value)) {
            refusal = form.valueLabel + " " + OutOfRangeText(row.valueRange);
            return false;
        }
    }
    refusedRow = 0;
    for (std::size_t i = 0; i < answer.size(); ++i) {
        form.rows[i].temperature = answer[i].temperature;
        form.rows[i].value = answer[i].value;
    }
    return true;
}

bool CGivenReferencePoints::KeepNonpositiveCurve(std::string_view text) {
    nonpositiveQuestion = std::string(text);
    return keepNonpositive;
}
