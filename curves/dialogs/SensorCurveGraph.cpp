#include "curves/dialogs/SensorCurveGraph.h"

#include <algorithm>

#include "logging/ui/Graph.h"

void ShowSensorCurveGraph(IMessageBoxes& boxes, QWidget* parent,
                          const std::vector<float>& temperatures, const std::vector<float>& values,
                          UnitCode unit) {
    CGraph graph(boxes, parent);
    graph.SetLineCapacity(1);
    graph.SetTitles(QStringLiteral("Sensor Curve"), QStringLiteral("Temperature (K)"),
                    QStringLiteral("Output ") + QString::fromLatin1(UnitAxisLabel(unit)));
    graph.AddLine(temperatures.data(), values.data(),
                  static_cast<unsigned>(std::min(temperatures.size(), values.size())));
    graph.exec();
}
