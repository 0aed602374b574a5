// What the error dialog shows before the technical description: the file an
// error concerns and why, in the user's own words, so that the first lines
// of the dialog answer "which file, and what is wrong with it".
#pragma once

#include <string>

#include "runtime/value.h"

namespace errors {

// The cause an operating-system error code stands for, in a few words of
// Spanish ("no se encuentra el fichero", "acceso denegado", ...); empty for
// a code without words of its own (the technical description still gives
// its number).
std::string osCauseWords(int osCode);

// The headline of an error: "Claves.dbf: no se encuentra el fichero" on the
// first line and "Carpeta: C:\INST\DBF001\" on the second when the error
// names a file; the cause alone when it names none. The cause is the words
// of its OsCode, else the run's own detail (the text in brackets of its
// description), else its description. Empty when the error names no file
// and its code has no words: the description says all there is.
std::string errorHeadline(const runtime::ObjectPtr& oError);

}  // namespace errors
