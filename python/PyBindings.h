#pragma once
// The parts of the compiled module _vorn, each adding its classes.

#include <pybind11/pybind11.h>

namespace py = pybind11;

void BindValues(py::module_ &module);  // Entry, Progress, results, Difference, Texture
void BindArchive(py::module_ &module); // Archive, find, diff
void BindFile(py::module_ &module);    // FileStream
void BindMerged(py::module_ &module);  // MergedView, MergedEntry, MergedVersion
