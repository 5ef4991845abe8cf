#pragma once

#include <QDialog>

class QComboBox;

// "Select CalGen Type": the sensor type and, for a diode, the number of
// reference points. Both lists start at their first entry; the positions are
// what the caller hands on.
class CSelectCalGenType : public QDialog {
public:
    explicit CSelectCalGenType(QWidget* parent = nullptr);

    // 0 "Diode", 1 "Platinum", 2 "Thermocouple".
    int SensorIndex() const;
    // 0 "1 point at 300K", 1 "1 point at 4.2K", 2 "2 points", 3 "3 points".
    int PointsIndex() const;

    QComboBox* SensorList() const { return sensor_; }
    QComboBox* PointsList() const { return points_; }

private:
    void OnSensorChanged(int index);

    QComboBox* sensor_;
    QComboBox* points_;
};
