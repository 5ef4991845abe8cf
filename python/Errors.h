#pragma once

#include <stdexcept>
#include <string>

namespace pybind11 {
class module_;
}

// The module's failures, raised in Python as tundrix.Error and its
// subclasses. Their messages are those tundrix-cli prints.
struct TundrixFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// tundrix.LinkError: no instrument, a failed or refused exchange, a busy link.
struct LinkFailure : TundrixFailure {
    using TundrixFailure::TundrixFailure;
};
// tundrix.FileError: a file that cannot be read, is refused or cannot be written.
struct FileFailure : TundrixFailure {
    using TundrixFailure::TundrixFailure;
};
// tundrix.RefusedError: an argument the operation refuses before anything is done.
struct InputRefusal : TundrixFailure {
    using TundrixFailure::TundrixFailure;
};

// Defines the exception classes in the module.
void RegisterErrors(pybind11::module_& module);

// `text`, or `fallback` when it is empty.
std::string OrElse(const std::string& text, const std::string& fallback);
