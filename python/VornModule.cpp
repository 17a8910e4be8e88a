// The compiled part of the Python module `vorn`. The package's __init__.py
// builds the friendly API (open, find, diff, the file object) on it.

#include "python/PyBindings.h"

#include <vorn/vorn.h>

PYBIND11_MODULE(_vorn, module)
{
    module.doc() = "Compiled part of the vorn module; use `import vorn`.";
    module.attr("__version__") = vorn::version();
    // Each error class becomes a Python exception of the same name; the
    // subclasses are registered after the base so that they are chosen first.
    const py::object base = py::register_exception<vorn::Error>(module, "Error");
    py::register_exception<vorn::OpenError>(module, "OpenError", base);
    py::register_exception<vorn::NotFoundError>(module, "NotFoundError", base);
    py::register_exception<vorn::DecodeError>(module, "DecodeError", base);
    py::register_exception<vorn::ExtractError>(module, "ExtractError", base);
    BindValues(module);
    BindArchive(module);
    BindFile(module);
    BindMerged(module);
}
