// File-name functions: split a path into drive, folder, name, extension and
// mask, and test whether a folder can be made current.
//
// Windows style: a backslash is the only folder separator, and every result
// that holds a name is upper-cased by the code page. POSIX style: '/' is a
// separator too (os/ takes both there), and upper-casing touches ASCII
// letters only, since os/ matches existing names without regard to ASCII
// case and other bytes may belong to multi-byte names. The default is the
// style of the platform the program runs on.
#pragma once

#include <string>
#include <string_view>

namespace startup {

enum class PathStyle { kWindows, kPosix };

// The style of the running platform (win32_path_style.cpp / posix_path_style.cpp).
PathStyle nativePathStyle();

// The drive ("C:", upper-cased) when a colon stands second; else "".
std::string CFILEDISC(std::string_view c, PathStyle style = nativePathStyle());

// Everything up to and including the last separator, upper-cased; without a
// separator, CFILEDISC followed by a backslash ("Empresa.dbf" gives "\").
std::string CFILEPATH(std::string_view c, PathStyle style = nativePathStyle());

// The part after the last separator when that separator is not the last
// byte; otherwise the part after the first colon when there is one;
// otherwise the whole text. Upper-cased. "C:\DATOS\" gives "\DATOS\".
std::string CFILENOPATH(std::string_view c, PathStyle style = nativePathStyle());
std::string CFILENAME(std::string_view c, PathStyle style = nativePathStyle());  // = CFILENOPATH

// CFILENOPATH when it holds "*" or "?", else "".
std::string CFILEMASK(std::string_view c, PathStyle style = nativePathStyle());

// The name part, trimmed, cut before its first full stop, trimmed:
// "C:\DATOS\Diario.old.dbf" gives "DIARIO".
std::string CFILENOEXT(std::string_view c, PathStyle style = nativePathStyle());

// The name part after its last full stop; "" when it has none or ends with one.
std::string CFILEEXT(std::string_view c, PathStyle style = nativePathStyle());

// The folder holding the given folder: CFILEPATH after one trailing
// separator is dropped ("C:\DATOS\EMP01\" gives "C:\DATOS\").
std::string CFILESUBDIR(std::string_view c, PathStyle style = nativePathStyle());

// Whether the folder can be made the current directory. The current
// directory is put back afterwards; it is never left changed.
bool LISDIR(std::string_view folder);

}  // namespace startup
