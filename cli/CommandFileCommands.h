#pragma once

#include <string>

class CCliUi;
class CVantorCore;

// "run-commands FILE.xml [--error-log PATH]": runs the command file against the
// instrument with the message log, and the expected text of each RESPONSE, on
// standard output; failed checks also go to the error log. 0 for a run that
// completed with no error logged; 3 for one that completed with errors logged
// (a failed check); 1 for one that was aborted or whose file could not be
// opened, so that a script can tell a failed check from a passed one.
int RunCommandFile(CVantorCore& core, CCliUi& ui, const std::string& fileName,
                   const std::string& errorLogPath);
