// Splitting a path as the program writes it (Windows style) into folder,
// file name, stem and extension, the same way on every platform.
//
// Both '\\' and '/' separate folders, and a drive "X:" at the start belongs
// to the folder ("C:TABLA.DBF" is the file TABLA.DBF in the folder "C:"). The
// extension is the file name's part from its last full stop on, that stop
// included; a full stop in a folder's name is never an extension. A name that
// ends in a full stop ("TABLA.") has an empty extension but counts as having
// one, so no default extension is added to it.
#pragma once

#include <string>
#include <string_view>

namespace os {

bool isPathSeparator(char c);  // '\\' or '/'

// A path that names its place from the root: it starts with a separator or
// with a drive ("C:").
bool isAbsolutePath(std::string_view path);

// Everything up to and including the last separator (or the drive when there
// is no separator after it); "" for a bare name.
std::string_view folderOf(std::string_view path);
// What follows the folder: "TDiaNew.dbf" of "C:\\Datos\\TDiaNew.dbf"; "" when
// the path ends with a separator.
std::string_view fileNameOf(std::string_view path);
// The file name less its extension: "TDiaNew" of "C:\\Datos\\TDiaNew.dbf".
std::string_view stemOf(std::string_view path);
// ".dbf" of "TDiaNew.dbf", "." of "TABLA.", "" of "TABLA" and of "Dat.os\\TABLA".
std::string_view extensionOf(std::string_view path);
bool hasExtension(std::string_view path);

// The path less the extension of its file name ("C:\\Datos\\TDiaNew").
std::string withoutExtension(std::string_view path);
// The path with `extension` (".fpt") in place of its own, or added when it
// has none.
std::string withExtension(std::string_view path, std::string_view extension);
// The path as given when it has an extension, else with `extension` added.
std::string withDefaultExtension(std::string_view path, std::string_view extension);

}  // namespace os
