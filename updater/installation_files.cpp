// The register and the run lock: their paths and what keeps a run from them.
#include "updater/installation_files.h"

#include "os/fs.h"
#include "os/path_parts.h"
#include "os/status.h"
#include "updater/run_lock.h"

namespace updater {

std::string registerFile(const std::string& root) {
    return root + "\\DBF\\Empresa.dbf";
}

std::optional<PathProblem> tooLongInstallationPath(const std::string& root) {
    for (const std::string& path : {registerFile(root), runLockPath(root)})
        if (path.size() > os::maxPathLength())
            return PathProblem{path, "la ruta es demasiado larga (" + std::to_string(path.size()) +
                                         " caracteres, el m\xE1ximo es " +
                                         std::to_string(os::maxPathLength()) +
                                         "): lleve la instalaci\xF3n a una carpeta de ruta "
                                         "m\xE1s corta"};
    return std::nullopt;
}

std::string noRegisterText() {
    return "no hay registro de empresas en esta ruta: compruebe la ruta de la instalaci\xF3n "
           "(la ruta del programa sin sus cuatro \xFAltimos caracteres)";
}

std::string registerOpenCause(const std::string& registerFile, int osCode) {
    if (osCode == os::kErrAccessDenied) {
        for (const char* extension : {".dbf", ".cdx", ".fpt"})
            if (os::fileInUse(os::withExtension(registerFile, extension)))
                osCode = os::kErrSharingViolation;
    }
    switch (osCode) {
        case os::kErrSharingViolation:
        case os::kErrLockViolation:
            return "el registro de empresas est\xE1 en uso por otro programa: cierre los "
                   "programas de la instalaci\xF3n y vuelva a ejecutar la actualizaci\xF3n";
        case os::kErrAccessDenied:
            return "el registro de empresas no se puede abrir para escribir (acceso denegado o "
                   "de solo lectura): quite el atributo de solo lectura o pida permiso de "
                   "escritura y vuelva a ejecutar la actualizaci\xF3n";
        case os::kErrFileNotFound:
        case os::kErrPathNotFound:
            return "falta el registro de empresas o uno de sus ficheros (\xEDndice, memo)";
        case os::kErrTooManyOpenFiles:
            return "el sistema no deja abrir m\xE1s ficheros: cierre otros programas";
        default:
            return "el registro de empresas no se puede abrir (c\xF3"
                   "digo " +
                   std::to_string(osCode) + ")";
    }
}

}  // namespace updater
