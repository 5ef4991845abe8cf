#pragma once

#include <atomic>

// One row of the instrument feature table.
struct FeatureRow {
    int modelClass = 0; // 0 unidentified, 1 no heater loops or PID tables, 2 with them
    int inputCount = 0; // sensor inputs: 2, 4 or 8
    int analogKind = 0; // 0 none, 3 analog output 1, 4 analog outputs 1 and 2
};

// Told of every change of the table: the shortcut bar's buttons follow it.
class IFeatureListener {
public:
    virtual ~IFeatureListener() = default;
    virtual void FeaturesApplied(const FeatureRow& row) = 0;
    virtual void FeaturesCleared() = 0;
};

// What the identified instrument can do, by model code; the enabling rules of
// the menus and the shortcut bar read it.
class CFeatureTable {
public:
    // The row of a model code; codes outside the family (0, 33, ...) get the
    // unidentified row: class 0, 4 inputs, analog kind 2.
    static FeatureRow RowFor(int modelCode);

    explicit CFeatureTable(IFeatureListener& listener) : listener_(listener) {}

    // Stores the model's row and tells the listener (the shortcut bar's buttons follow).
    void ApplyModel(int modelCode);
    // Tells the listener (the shortcut bar's buttons reset) and sets every field to 0.
    void ClearFeatures();

    int ModelClass() const { return modelClass_; }
    int InputCount() const { return inputCount_; }
    int AnalogKind() const { return analogKind_; }
    int Known() const { return known_; }

    bool IsModelKnown() const { return modelClass_ != 0; }
    bool IsClass2() const { return modelClass_ == 2; }
    bool Has4Or8Inputs() const { return inputCount_ == 4 || inputCount_ == 8; }
    bool Has8Inputs() const { return inputCount_ == 8; }
    bool HasAnalogKind3Or4() const { return analogKind_ == 3 || analogKind_ == 4; }
    bool HasAnalogKind4() const { return analogKind_ == 4; }

private:
    IFeatureListener& listener_;
    // Written on the GUI thread, read by the workers.
    std::atomic<int> inputCount_{0};
    std::atomic<int> analogKind_{0};
    std::atomic<int> modelClass_{0};
    std::atomic<int> known_{0};
};
