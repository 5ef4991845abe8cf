#include "comm/FeatureTable.h"

FeatureRow CFeatureTable::RowFor(int modelCode) {
    switch (modelCode) {
    case 27:
        return {2, 4, 3};
    case 28:
    case 34:
        return {2, 4, 4};
    case 29:
    case 35:
        return {1, 8, 0};
    case 30:
        return {1, 4, 0};
    case 31:
        return {1, 2, 0};
    case 32:
        return {2, 2, 4};
    default:
        return {0, 4, 2};
    }
}

void CFeatureTable::ApplyModel(int modelCode) {
    FeatureRow row = RowFor(modelCode);
    inputCount_ = row.inputCount;
    analogKind_ = row.analogKind;
    modelClass_ = row.modelClass;
    known_ = row.modelClass != 0 ? 1 : 0;
    listener_.FeaturesApplied(row);
}

void CFeatureTable::ClearFeatures() {
    listener_.FeaturesCleared();
    inputCount_ = 0;
    analogKind_ = 0;
    modelClass_ = 0;
    known_ = 0;
}
