#include "sim/SimModel.h"

namespace {

// Code 33 is a family member that the utility does not recognise; the
// simulator still plays it so that the utility's "unknown model" path can be
// tried. It is played as a heater model with four inputs and one analog output
// (loops 1..3), like code 27, so that only the utility's own table makes it unknown.
constexpr SimModel Models[] = {
    {27, "TX-27", 2, 4, 3, 270311}, {28, "TX-28", 2, 4, 4, 280417}, {29, "TX-29", 1, 8, 0, 290122},
    {30, "TX-30", 1, 4, 0, 300958}, {31, "TX-31", 1, 2, 0, 310406}, {32, "TX-32", 2, 2, 4, 320775},
    {33, "TX-33", 2, 4, 3, 330204}, {34, "TX-34", 2, 4, 4, 340689}, {35, "TX-35", 1, 8, 0, 350013},
};

} // namespace

std::span<const SimModel> SimModel::All() {
    return Models;
}

const SimModel* SimModel::Find(int code) {
    for (const SimModel& model : Models) {
        if (model.code == code) {
            return &model;
        }
    }
    return nullptr;
}
