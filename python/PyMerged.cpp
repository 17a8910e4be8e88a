// vorn::MergedView for Python: what the game sees over several archives.
// Reading, extracting and settling stacks run with the GIL released.

#include "python/PyBindings.h"
#include "python/PythonProgress.h"

#include <vorn/vorn.h>

#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include <optional>

namespace {

vorn::ExtractResult ExtractMerged(const vorn::MergedView &view, const std::string &target,
                                  std::optional<std::vector<std::string>> paths, const py::object &overwrite,
                                  bool flat, py::object progress)
{
    return ExtractWithPython(view, target, std::move(paths), overwrite, flat, std::move(progress));
}

} // namespace

void BindMerged(py::module_ &m)
{
    py::class_<vorn::MergedEntry>(m, "MergedEntry", "A path of the merged tree and the version the game sees.")
        .def_readonly("entry", &vorn::MergedEntry::entry, "The winning version's Entry; its path is the merged path.")
        .def_readonly("archive", &vorn::MergedEntry::archive, "The archive the winning version comes from.")
        .def_readonly("hidden", &vorn::MergedEntry::hidden, "How many versions of the path it hides.")
        .def_readonly("conflict", &vorn::MergedEntry::conflict,
                      "True when it hides another file, or a file and a folder meet at its path.")
        .def_property_readonly("path", [](const vorn::MergedEntry &e) { return e.entry.path; }, "The merged path.")
        .def_property_readonly("is_dir", [](const vorn::MergedEntry &e) { return e.entry.isDir; })
        .def("__repr__", [](const vorn::MergedEntry &e) {
            return "<vorn.MergedEntry '" + e.entry.path + "' from '" + e.archive + "'>";
        });
    py::class_<vorn::MergedVersion>(m, "MergedVersion", "One version of a merged path.")
        .def_readonly("archive", &vorn::MergedVersion::archive, "The archive that holds it.")
        .def_readonly("priority", &vorn::MergedVersion::priority, "That archive's priority, e.g. 'Patch + 2'.")
        .def_readonly("entry", &vorn::MergedVersion::entry, "The Entry as that archive stores it.")
        .def_property_readonly(
            "state", [](const vorn::MergedVersion &v) { return vorn::versionStateName(v.state); },
            "'winner', 'same', 'different', 'other kind' (a file against a folder) or 'folder' (merged).")
        .def("__repr__", [](const vorn::MergedVersion &v) {
            return std::string("<vorn.MergedVersion ") + vorn::versionStateName(v.state) + " in '" + v.archive + "'>";
        });
    py::class_<vorn::MergedView>(m, "MergedView")
        .def(py::init([](const std::vector<std::string> &paths) {
                 const py::gil_scoped_release released;
                 return vorn::MergedView(paths);
             }),
             py::arg("paths"))
        .def_property_readonly("archives", &vorn::MergedView::archives)
        .def_property_readonly("ties", &vorn::MergedView::ties)
        .def_property_readonly("problems", &vorn::MergedView::problems)
        .def("stat", &vorn::MergedView::stat, py::arg("path"))
        .def("list", &vorn::MergedView::list, py::arg("folder") = "")
        .def("walk", &vorn::MergedView::walk, py::arg("folder") = "")
        .def("conflicts", &vorn::MergedView::conflicts)
        .def("versions", &vorn::MergedView::versions, py::arg("path"), py::call_guard<py::gil_scoped_release>())
        .def("read", [](const vorn::MergedView &view, const std::string &path) {
            std::vector<uint8_t> bytes;
            {
                const py::gil_scoped_release released;
                bytes = view.read(path);
            }
            return py::bytes(reinterpret_cast<const char *>(bytes.data()), bytes.size());
        }, py::arg("path"))
        .def("extract", &ExtractMerged, py::arg("target"), py::arg("paths") = py::none(),
             py::arg("overwrite") = false, py::arg("flat") = false, py::arg("progress") = py::none());
}
