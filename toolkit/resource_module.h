// The resource module the toolkit loads templates, icons and bitmaps from,
// and the libraries loaded to serve as one.
#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

// GETRESOURCES(): the module set by SETRESOURCES, else the program's own.
HINSTANCE GETRESOURCES();
// SETRESOURCES(cLibrary): loads the library (kept in the list of loaded
// libraries) and makes it the resource module; returns it (null when it
// cannot be loaded, leaving the module unchanged).
HINSTANCE SETRESOURCES(const std::string& cLibrary);
// SETRESOURCES(hModule): makes that module the resource module.
HINSTANCE SETRESOURCES(HINSTANCE hModule);
// FREERESOURCES(): frees the libraries loaded by SETRESOURCES and goes back
// to the program's own module. The error handler calls it before the
// program ends.
void FREERESOURCES();

}  // namespace toolkit
