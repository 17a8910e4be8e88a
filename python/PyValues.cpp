// The plain values of the API as read-only Python classes.

#include "python/PyBindings.h"

#include <vorn/vorn.h>

#include <pybind11/stl.h>

#include <string>

namespace {

const char *FormatName(uint16_t format)
{
    static const char *const names[] = {"Raw", "Zlib", "Lzo"};
    return format < 3 ? names[format] : "Unknown";
}

// A FILETIME as an aware datetime in UTC; None beyond what datetime can hold
// (years after 9999).
py::object FileTimeToDatetime(uint64_t fileTime)
{
    // Kept for the life of the process: the module is never unloaded.
    static const py::object &epoch = *new py::object(
        py::module_::import("datetime").attr("datetime")(1601, 1, 1, 0, 0, 0, 0,
                                                          py::module_::import("datetime").attr("timezone").attr("utc")));
    static const py::object &timedelta = *new py::object(py::module_::import("datetime").attr("timedelta"));
    constexpr uint64_t LastSupported = 2650467743999999999ull; // 9999-12-31 23:59:59.9999999 UTC
    if (fileTime > LastSupported)
        return py::none();
    const uint64_t microseconds = fileTime / 10;
    return epoch + timedelta(py::arg("seconds") = microseconds / 1000000,
                             py::arg("microseconds") = microseconds % 1000000);
}

std::string EntryRepr(const vorn::Entry &entry)
{
    return std::string("<vorn.Entry ") + (entry.isDir ? "folder " : "file ") + "'" + entry.path + "'" +
           (entry.isDir ? "" : " " + std::to_string(entry.size) + " bytes") + ">";
}

void BindEntry(py::module_ &m)
{
    py::class_<vorn::Entry>(m, "Entry", "A file or folder of an archive, as its index describes it.")
        .def_property_readonly("name", &vorn::Entry::name, "The entry's own name.")
        .def_readonly("path", &vorn::Entry::path, "Path below the root, names joined with '/'; '' for the root.")
        .def_readonly("is_dir", &vorn::Entry::isDir)
        .def_readonly("size", &vorn::Entry::size, "Decoded size in bytes (0 for a folder).")
        .def_readonly("compressed_size", &vorn::Entry::compressedSize,
                      "Stored size in bytes; a raw file gives its size.")
        .def_readonly("crc32", &vorn::Entry::crc32, "Stored CRC-32; 0 when none is stored.")
        .def_readonly("filetime", &vorn::Entry::fileTime, "Time stamp as stored: 100 ns since 1601-01-01 UTC.")
        .def_readonly("id", &vorn::Entry::id, "The entry's place in the index; unique within its archive.")
        .def_property_readonly("format", [](const vorn::Entry &e) { return e.isDir ? "" : FormatName(e.format); },
                               "Storage format: 'Raw', 'Zlib', 'Lzo' or 'Unknown'; '' for a folder.")
        .def_property_readonly("time", [](const vorn::Entry &e) { return FileTimeToDatetime(e.fileTime); },
                               "Time stamp as an aware datetime in UTC (None when out of range).")
        .def("__repr__", &EntryRepr);
}

void BindResults(py::module_ &m)
{
    py::class_<vorn::Progress>(m, "Progress", "How far an extraction or a test has come.")
        .def_readonly("entries_done", &vorn::Progress::entriesDone)
        .def_readonly("entries_total", &vorn::Progress::entriesTotal)
        .def_readonly("bytes_done", &vorn::Progress::bytesDone)
        .def_readonly("bytes_total", &vorn::Progress::bytesTotal)
        .def_readonly("current", &vorn::Progress::current);
    py::class_<vorn::Failure>(m, "Failure", "A file that could not be extracted or checked, and why.")
        .def_readonly("path", &vorn::Failure::path)
        .def_readonly("message", &vorn::Failure::message)
        .def("__repr__", [](const vorn::Failure &f) { return "<vorn.Failure '" + f.path + "': " + f.message + ">"; });
    py::class_<vorn::ExtractResult>(m, "ExtractResult", "What an extraction did.")
        .def_readonly("written", &vorn::ExtractResult::written)
        .def_readonly("skipped", &vorn::ExtractResult::skipped)
        .def_readonly("cancelled", &vorn::ExtractResult::cancelled)
        .def_readonly("failures", &vorn::ExtractResult::failures);
    py::class_<vorn::TestResult>(m, "TestResult", "What checking every file of an archive found.")
        .def_readonly("checked", &vorn::TestResult::checked)
        .def_readonly("passed", &vorn::TestResult::passed)
        .def_readonly("bytes", &vorn::TestResult::bytes)
        .def_readonly("cancelled", &vorn::TestResult::cancelled)
        .def_readonly("damaged", &vorn::TestResult::damaged)
        .def_property_readonly("ok", [](const vorn::TestResult &r) { return r.damaged.empty() && !r.cancelled; },
                               "True when every file was checked and found sound.");
    py::class_<vorn::Difference>(m, "Difference", "A path that differs between two archives.")
        .def_readonly("path", &vorn::Difference::path)
        .def_readonly("is_dir", &vorn::Difference::isDir)
        .def_property_readonly("change", [](const vorn::Difference &d) { return vorn::changeName(d.change); },
                               "'added', 'removed', 'changed', 'repacked' or 'same'.")
        .def_readonly("size_a", &vorn::Difference::sizeA)
        .def_readonly("size_b", &vorn::Difference::sizeB)
        .def_readonly("crc32_a", &vorn::Difference::crc32A)
        .def_readonly("crc32_b", &vorn::Difference::crc32B)
        .def("__repr__", [](const vorn::Difference &d) {
            return std::string("<vorn.Difference ") + vorn::changeName(d.change) + " '" + d.path + "'>";
        });
}

void BindTexture(py::module_ &m)
{
    py::class_<vorn::Texture>(m, "Texture", "A decoded raw texture: RGBA pixels, top row first.")
        .def_readonly("width", &vorn::Texture::width)
        .def_readonly("height", &vorn::Texture::height)
        .def_property_readonly("rgba", [](const vorn::Texture &t) {
            return py::bytes(reinterpret_cast<const char *>(t.rgba.data()), t.rgba.size());
        })
        .def("to_png", [](const vorn::Texture &t) {
            const std::vector<uint8_t> png = vorn::encodePng(t);
            return py::bytes(reinterpret_cast<const char *>(png.data()), png.size());
        }, "The picture as PNG file bytes (8-bit RGBA).");
    m.def("decode_texture", [](py::buffer data) {
        const py::buffer_info info = data.request();
        return vorn::decodeTexture(static_cast<const uint8_t *>(info.ptr), size_t(info.size * info.itemsize));
    }, py::arg("data"), "Decodes a raw texture file's bytes; raises vorn.Error when they are none.");
}

} // namespace

void BindValues(py::module_ &module)
{
    BindEntry(module);
    BindResults(module);
    BindTexture(module);
}
