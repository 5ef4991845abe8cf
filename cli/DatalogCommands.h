#pragma once

#include <string>

class CCliUi;
class CVantorCore;

// "datalog upload OUT.csv": the instrument's internal data log into OUT.csv,
// replaced if it exists, with the message log on standard output. 0 when the
// file was written and the instrument's logging state put back, 1 otherwise
// (an earlier OUT.csv is then left as it was).
int RunDatalogUpload(CVantorCore& core, CCliUi& ui, const std::string& fileName);
