#pragma once

#include <functional>

// What the reference-point dialogs ask of the program around them: the
// "Vapor Pressure" button starts the calculator (or closes it when it is
// open), and Cancel closes the window titled "Quillmere". The main view hands
// them in; an empty action does nothing.
struct CalculatorActions {
    std::function<void()> launchVaporix;
    std::function<void()> closeQuillmere;
};
