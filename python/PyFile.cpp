// vorn::FileStream for Python: the raw reader under vorn.File.

#include "python/PyBindings.h"

#include <vorn/vorn.h>

namespace {

// Reads into a writable buffer (bytearray, memoryview); returns the count.
size_t ReadInto(vorn::FileStream &stream, py::buffer buffer)
{
    const py::buffer_info info = buffer.request(true);
    const size_t room = size_t(info.size * info.itemsize);
    const py::gil_scoped_release released;
    return stream.read(info.ptr, room);
}

// Up to `count` bytes (-1: to the end) as a new bytes object.
py::bytes Read(vorn::FileStream &stream, int64_t count)
{
    const uint64_t left = stream.tell() < stream.size() ? stream.size() - stream.tell() : 0;
    const uint64_t want = count < 0 ? left : std::min<uint64_t>(uint64_t(count), left);
    py::bytes bytes = py::reinterpret_steal<py::bytes>(PyBytes_FromStringAndSize(nullptr, Py_ssize_t(want)));
    if (!bytes)
        throw py::error_already_set();
    size_t got = 0;
    {
        const py::gil_scoped_release released;
        got = stream.read(PyBytes_AS_STRING(bytes.ptr()), want);
    }
    if (got != want)
        return py::bytes(PyBytes_AS_STRING(bytes.ptr()), got);
    return bytes;
}

} // namespace

void BindFile(py::module_ &m)
{
    py::class_<vorn::FileStream>(m, "FileStream")
        .def_property_readonly("entry", &vorn::FileStream::entry)
        .def_property_readonly("size", &vorn::FileStream::size)
        .def("tell", &vorn::FileStream::tell)
        .def("seek", &vorn::FileStream::seek, py::arg("position"))
        .def("readinto", &ReadInto, py::arg("buffer"))
        .def("read", &Read, py::arg("count") = -1);
}
