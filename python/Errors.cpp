#include "python/Errors.h"

#include <pybind11/pybind11.h>

namespace py = pybind11;

void RegisterErrors(py::module_& module) {
    static py::exception<TundrixFailure> base(module, "Error");
    base.doc() = "The base class of every error the tundrix module raises.";
    py::register_exception<LinkFailure>(module, "LinkError", base.ptr()).doc() =
        "No instrument answered, an exchange failed or was refused, or the link was busy.";
    py::register_exception<FileFailure>(module, "FileError", base.ptr()).doc() =
        "A file could not be read, failed its checks, or could not be written.";
    py::register_exception<InputRefusal>(module, "RefusedError", base.ptr()).doc() =
        "An argument was refused before anything was sent or written.";
}

std::string OrElse(const std::string& text, const std::string& fallback) {
    return text.empty() ? fallback : text;
}
