#pragma once

#include <vector>

#include "curves/UnitCode.h"

class IMessageBoxes;
class QWidget;

// "Display Curve": the curve graph window, modal over `parent`, with the curve
// as one line: title "Sensor Curve", temperatures on the x axis
// ("Temperature (K)"), the sensor values on the y axis ("Output " and the
// unit's axis label).
void ShowSensorCurveGraph(IMessageBoxes& boxes, QWidget* parent,
                          const std::vector<float>& temperatures, const std::vector<float>& values,
                          UnitCode unit);
