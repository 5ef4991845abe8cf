#pragma once

#include <string>

// Where the programs find what ships with them. The programs sit side by side
// in the build folder's bin/ and in an installed bin/ alike; the private
// libraries (the simulated GPIB library) sit beside them in the build folder,
// and in the project's own library folder once installed, off the system's
// library path. Both are looked up relative to the running program, so that a
// moved build or an installed copy under any prefix finds them.

// The folder of the running program with a trailing '/', or "" when the system
// does not say.
std::string ProgramFolder();

// A library shipped with the programs: beside the running program, else in the
// installed library folder relative to it; "" when neither holds it.
std::string FindShippedLibrary(const std::string& name);
