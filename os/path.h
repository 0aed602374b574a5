// Path spelling rules: how a Windows-style path written by the program maps
// onto the file system it runs on. Every os/ call that takes a path uses this.
#pragma once

#include <string>

namespace os {

// Returns the native path for `path`.
//
// Windows: returned unchanged (the file system already ignores case and takes
// both separators).
//
// POSIX: every backslash is a separator, like '/'; a path that starts with a
// separator is absolute, otherwise relative to the current directory
// ("Datos\\Emp01\\TDiaNew.dbf" -> "Datos/Emp01/TDiaNew.dbf"). Each component
// that exists on disk is matched without regard to case (ASCII and the
// Windows-1252 letters), so a program
// asking for "Empresa.Dbf" finds "EMPRESA.DBF"; an exact match wins, and among
// several case-insensitive matches the first in byte order wins. From the
// first component that does not exist onwards, components keep the spelling
// given, so a new file is created with the name the program asked for.
// Runs of separators collapse; "." and ".." are kept and followed as written.
// A trailing separator is kept. An empty path stays empty.
std::string resolvePath(const std::string& path);

// Joins a folder and a name with one native separator ('\\' on Windows, '/'
// elsewhere); an empty folder gives the name alone.
std::string joinPath(const std::string& folder, const std::string& name);

}  // namespace os
