// vorn::Archive for Python. Decoding, extraction, tests, searches and
// comparisons run with the GIL released; a progress callback takes it back
// for the time of its call.

#include "python/PyBindings.h"
#include "python/PythonProgress.h"

#include <vorn/vorn.h>

#include <pybind11/functional.h>
#include <pybind11/stl.h>

#include <cctype>
#include <map>
#include <optional>

namespace {

vorn::ExtractResult Extract(const vorn::Archive &archive, const std::string &target,
                            std::optional<std::vector<std::string>> paths, const py::object &overwrite, bool flat,
                            py::object progress)
{
    return ExtractWithPython(archive, target, std::move(paths), overwrite, flat, std::move(progress));
}

vorn::TestResult Test(const vorn::Archive &archive, py::object progress)
{
    TPythonProgress python(std::move(progress));
    const vorn::ProgressCallback callback = python.Callback();
    vorn::TestResult result;
    {
        const py::gil_scoped_release released;
        result = archive.test(callback);
    }
    python.RaiseAgain();
    return result;
}

const std::map<std::string, uint16_t> &FormatsByName()
{
    static const std::map<std::string, uint16_t> formats{{"raw", 0}, {"zlib", 1}, {"lzo", 2}};
    return formats;
}

vorn::FindQuery QueryOf(std::optional<std::string> name, std::optional<std::string> glob,
                        std::optional<std::string> regex, bool wholePath, bool matchCase, std::vector<std::string> types,
                        std::optional<uint64_t> minSize, std::optional<uint64_t> maxSize,
                        std::vector<std::string> formats, std::optional<std::string> contains,
                        std::optional<std::string> hex, bool damaged)
{
    if (int(bool(name)) + int(bool(glob)) + int(bool(regex)) > 1)
        throw py::value_error("give only one of name, glob and regex");
    vorn::FindQuery query;
    if (name) {
        query.name = *name;
    } else if (glob) {
        query.name = *glob;
        query.nameMode = vorn::NameMode::Glob;
    } else if (regex) {
        query.name = *regex;
        query.nameMode = vorn::NameMode::Regex;
    }
    query.wholePath = wholePath;
    query.ignoreCase = !matchCase;
    query.types = std::move(types);
    query.minSize = minSize;
    query.maxSize = maxSize;
    for (const std::string &format : formats) {
        std::string lower = format;
        for (char &c : lower)
            c = char(std::tolower(uint8_t(c)));
        const auto known = FormatsByName().find(lower);
        if (known == FormatsByName().end())
            throw py::value_error("unknown storage format '" + format + "' (raw, zlib or lzo)");
        query.formats.push_back(known->second);
    }
    query.containsText = contains.value_or("");
    query.containsHex = hex.value_or("");
    query.damaged = damaged;
    return query;
}

py::bytes Read(const vorn::Archive &archive, const std::string &path)
{
    const vorn::Entry entry = archive.stat(path);
    if (entry.isDir)
        throw vorn::NotFoundError("Not a file: " + path);
    // The file is decoded straight into the bytes object, no copy.
    py::bytes bytes = py::reinterpret_steal<py::bytes>(PyBytes_FromStringAndSize(nullptr, Py_ssize_t(entry.size)));
    if (!bytes)
        throw py::error_already_set();
    {
        const py::gil_scoped_release released;
        archive.readInto(entry, reinterpret_cast<uint8_t *>(PyBytes_AS_STRING(bytes.ptr())));
    }
    return bytes;
}

} // namespace

void BindArchive(py::module_ &m)
{
    py::class_<vorn::Archive>(m, "Archive")
        .def(py::init<const std::string &>(), py::arg("path"))
        .def_property_readonly("path", &vorn::Archive::path)
        .def("info", &vorn::Archive::info)
        .def("stat", &vorn::Archive::stat, py::arg("path"))
        .def("contains", &vorn::Archive::contains, py::arg("path"))
        .def("list", py::overload_cast<const std::string &>(&vorn::Archive::list, py::const_), py::arg("folder") = "")
        .def("walk", py::overload_cast<const std::string &>(&vorn::Archive::walk, py::const_), py::arg("folder") = "")
        .def("read", &Read, py::arg("path"))
        .def("open_file", [](const vorn::Archive &a, const std::string &path) { return a.openFile(path); },
             py::arg("path"))
        .def("extract", &Extract, py::arg("target"), py::arg("paths") = py::none(), py::arg("overwrite") = false,
             py::arg("flat") = false, py::arg("progress") = py::none())
        .def("test", &Test, py::arg("progress") = py::none())
        .def("find", [](const vorn::Archive &a, const vorn::FindQuery &query) {
            const py::gil_scoped_release released;
            return a.find(query);
        });
    py::class_<vorn::FindQuery>(m, "FindQuery")
        .def(py::init(&QueryOf), py::arg("name") = py::none(), py::arg("glob") = py::none(),
             py::arg("regex") = py::none(), py::arg("whole_path") = false, py::arg("match_case") = false,
             py::arg("types") = std::vector<std::string>(), py::arg("min_size") = py::none(),
             py::arg("max_size") = py::none(), py::arg("formats") = std::vector<std::string>(),
             py::arg("contains") = py::none(), py::arg("hex") = py::none(), py::arg("damaged") = false);
    m.def("compare", [](const vorn::Archive &a, const vorn::Archive &b, bool includeSame) {
        const py::gil_scoped_release released;
        return vorn::compare(a, b, includeSame);
    }, py::arg("a"), py::arg("b"), py::arg("include_same") = false);
}
