#pragma once
// What the module's extractions and checks share: a Python progress
// callable behind the library's callback, the overwrite argument and the
// extraction call itself.

#include <vorn/vorn.h>

#include <pybind11/pybind11.h>

#include <optional>
#include <string>
#include <vector>

namespace py = pybind11;

// Calls a Python progress callable from the library's callback. An
// exception it raises stops the work and is raised again once the library
// has returned.
class TPythonProgress {
public:
    explicit TPythonProgress(py::object callable) : m_Callable(std::move(callable)) {}

    vorn::ProgressCallback Callback()
    {
        if (m_Callable.is_none())
            return {};
        return [this](const vorn::Progress &progress) {
            const py::gil_scoped_acquire gil;
            try {
                const py::object answer = m_Callable(progress);
                return answer.is_none() || answer.cast<bool>();
            } catch (py::error_already_set &error) {
                m_Error = std::move(error);
                return false;
            }
        };
    }
    // Raises what the callable raised, if anything.
    void RaiseAgain()
    {
        if (m_Error)
            throw std::move(*m_Error);
    }

private:
    py::object m_Callable;
    std::optional<py::error_already_set> m_Error;
};

inline vorn::Overwrite OverwriteOf(const py::object &overwrite)
{
    if (py::isinstance<py::str>(overwrite)) {
        const std::string word = overwrite.cast<std::string>();
        if (word == "older")
            return vorn::Overwrite::IfOlder;
        throw py::value_error("overwrite must be True, False or 'older', not '" + word + "'");
    }
    return overwrite.cast<bool>() ? vorn::Overwrite::Replace : vorn::Overwrite::Skip;
}

// Extracts from an archive or the merged view with the module's arguments:
// the GIL is released while the library writes, and an exception the
// progress callable raised is raised again afterwards.
template <class TSource>
vorn::ExtractResult ExtractWithPython(const TSource &source, const std::string &target,
                                      std::optional<std::vector<std::string>> paths, const py::object &overwrite,
                                      bool flat, py::object progress)
{
    vorn::ExtractOptions options;
    if (paths)
        options.paths = std::move(*paths);
    options.overwrite = OverwriteOf(overwrite);
    options.keepFolders = !flat;
    TPythonProgress python(std::move(progress));
    options.progress = python.Callback();
    vorn::ExtractResult result;
    {
        const py::gil_scoped_release released;
        result = source.extract(target, options);
    }
    python.RaiseAgain();
    return result;
}
