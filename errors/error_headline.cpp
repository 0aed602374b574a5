// The error dialog's headline: file and cause in the user's words.
#include "errors/error_headline.h"

#include "os/path_parts.h"
#include "os/status.h"
#include "runtime/codepage.h"

namespace errors {
namespace {

// "Open error (no se pudo abrir la tabla (código 2))" gives what lies
// between the first " (" and the last ")": the run's own words. Empty when
// the description has no such part.
std::string bracketedDetail(const std::string& description) {
    const size_t open = description.find(" (");
    if (open == std::string::npos || description.empty() || description.back() != ')') return {};
    return description.substr(open + 2, description.size() - open - 3);
}

}  // namespace

std::string osCauseWords(int osCode) {
    switch (static_cast<uint32_t>(osCode)) {
        case os::kErrFileNotFound:
            return "no se encuentra el fichero";
        case os::kErrPathNotFound:
            return "no se encuentra la carpeta";
        case os::kErrTooManyOpenFiles:
            return "hay demasiados ficheros abiertos";
        case os::kErrAccessDenied:
            return "acceso denegado";
        case os::kErrSharingViolation:
            return "el fichero est\xE1 en uso por otro programa";
        case os::kErrLockViolation:
            return "otro programa tiene bloqueada una parte del fichero";
        case 39:  // the disk is full (older code)
        case os::kErrDiskFull:
            return "el disco est\xE1 lleno";
        case os::kErrFilenameTooLong:
            return "la ruta es demasiado larga";
        case os::kErrWriteFault:
            return "no se pudo escribir en el disco";
        case os::kErrReadFault:
            return "no se pudo leer del disco";
        default:
            return {};
    }
}

std::string errorHeadline(const runtime::ObjectPtr& oError) {
    const int osCode = static_cast<int>(oError->get("OsCode").numOr(0));
    std::string cause = osCauseWords(osCode);
    const std::string file = runtime::ALLTRIM(oError->get("FileName").textOr());
    if (file.empty()) {
        if (!cause.empty()) cause[0] = runtime::UPPER(cause.substr(0, 1))[0];
        return cause;
    }
    if (cause.empty()) {
        const std::string description = oError->get("Description").textOr();
        cause = bracketedDetail(description);
        if (cause.empty()) cause = description;
    }
    const std::string_view name = os::fileNameOf(file);
    const std::string_view folder = os::folderOf(file);
    std::string out = std::string(name.empty() ? std::string_view(file) : name);
    if (!cause.empty()) out += ": " + cause;
    if (!folder.empty() && !name.empty()) out += "\r\nCarpeta: " + std::string(folder);
    return out;
}

}  // namespace errors
