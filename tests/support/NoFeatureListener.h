#pragma once

#include "comm/FeatureTable.h"

// A feature table's listener for tests that only need the table.
class NoListener : public IFeatureListener {
public:
    void FeaturesApplied(const FeatureRow&) override {}
    void FeaturesCleared() override {}
};
