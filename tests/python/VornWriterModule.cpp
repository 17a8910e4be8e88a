// vornwriter: the tests' archive writer for the Python tests, so that they
// make their archives the same way as every other test.

#include "tests/support/VornWriter.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>

namespace py = pybind11;

namespace {

Bytes BytesOf(const py::bytes &data)
{
    const std::string_view view = data;
    return Bytes(view.begin(), view.end());
}

VornWriter::Handle AddFile(VornWriter &writer, VornWriter::Handle parent, const std::string &name,
                           const py::bytes &data, uint16_t format, uint32_t chunkSize, TFileTime time,
                           std::optional<uint32_t> crc, std::optional<uint32_t> size,
                           std::optional<py::bytes> stored, bool chunksAsIs, uint32_t extraBytes)
{
    FileSpec spec;
    spec.name = name;
    spec.data = BytesOf(data);
    spec.format = format;
    spec.chunkSize = chunkSize;
    spec.time = time;
    spec.crcOverride = crc;
    spec.sizeOverride = size;
    if (stored)
        spec.storedOverride = BytesOf(*stored);
    spec.storage = chunksAsIs ? ChunkStorage::AllAsIs : ChunkStorage::CompressWhenSmaller;
    spec.extraBytes = extraBytes;
    return writer.addFile(parent, std::move(spec));
}

} // namespace

PYBIND11_MODULE(vornwriter, m)
{
    m.doc() = "Writes vorn archives for the tests (raw, zlib, LZO; whole or chunked; damaged on request).";
    m.attr("RAW") = DATAFORMAT_RAW;
    m.attr("ZLIB") = DATAFORMAT_ZLIB;
    m.attr("LZO") = DATAFORMAT_LZO;
    py::class_<VornWriter>(m, "Writer")
        .def(py::init<>())
        .def("add_dir", &VornWriter::addDir, py::arg("parent"), py::arg("name"), py::arg("time") = 0)
        .def("add_file", &AddFile, py::arg("parent"), py::arg("name"), py::arg("data"),
             py::arg("format") = DATAFORMAT_RAW, py::arg("chunk_size") = 0, py::arg("time") = 0,
             py::arg("crc") = py::none(), py::arg("size") = py::none(), py::arg("stored") = py::none(),
             py::arg("chunks_as_is") = false, py::arg("extra_bytes") = 0)
        .def("build", [](VornWriter &w) {
            const Bytes bytes = w.build();
            return py::bytes(reinterpret_cast<const char *>(bytes.data()), bytes.size());
        })
        .def_property(
            "priority", [](const VornWriter &w) { return w.header.m_Priority; },
            [](VornWriter &w, uint32_t priority) { w.header.m_Priority = priority; },
            "The header's priority: class in bits 12-15, number in bits 16-31.")
        .def("write", &VornWriter::write, py::arg("path"))
        .def("stored_start", &VornWriter::storedStart, py::arg("file"),
             "File offset of a file's stored bytes; valid after build() or write().");
    m.def("file_time", &MakeFileTime, py::arg("year"), py::arg("month"), py::arg("day"), py::arg("hour") = 0,
          py::arg("minute") = 0, py::arg("second") = 0, "FILETIME of a UTC calendar time.");
    m.def("pattern_bytes", [](size_t size, uint32_t seed) {
        const Bytes bytes = PatternBytes(size, seed);
        return py::bytes(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    }, "Bytes that hardly compress.");
    m.def("text_like_bytes", [](size_t size, uint32_t seed) {
        const Bytes bytes = TextLikeBytes(size, seed);
        return py::bytes(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    }, "Bytes that compress well.");
}
