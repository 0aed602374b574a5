// The register and the run lock: their paths and what keeps a run from them.
#include "updater/installation_files.h"

#include <memory>

#include "errors/error_dialog.h"
#include "os/fs.h"
#include "os/path_parts.h"
#include "os/status.h"
#include "runtime/alert.h"
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "updater/run_lock.h"
#include "updater/run_state.h"

namespace updater {
namespace {

// The error dialog while a refusal is raised: the words in a message box,
// answered as the dialog's end button.
class RefusalBox : public errors::ErrorDialog {
public:
    explicit RefusalBox(std::string text) : text_(std::move(text)) {}
    errors::DialogAnswer show(const errors::DialogRequest&) override {
        runtime::MSGSTOP(runtime::Value(text_), runtime::Value("Actualizaci\xF3n no iniciada"));
        return errors::DialogAnswer::Exit;
    }

private:
    std::string text_;
};

}  // namespace

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

std::string readOnlyRegisterFile(const std::string& root) {
    for (const char* extension : {".dbf", ".cdx", ".fpt"}) {
        const std::string file = os::withExtension(registerFile(root), extension);
        if (os::isReadOnly(file)) return file;
    }
    return "";
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

std::string runningElsewhereText(const std::string& root) {
    return "ya hay una actualizaci\xF3n en marcha en " + root + ": espere a que termine";
}

std::string lockRefusedText(const std::string& root, uint32_t osCode) {
    return "no se puede crear el fichero de bloqueo de la actualizaci\xF3n (c\xF3"
           "digo " +
           std::to_string(osCode) + "): compruebe que se puede escribir en la carpeta " + root +
           "\\DBF";
}

std::string lockLeftText(const std::string& root, uint32_t osCode) {
    return "el fichero de bloqueo " + runLockPath(root) +
           " no se pudo borrar (c\xF3"
           "digo " +
           std::to_string(osCode) +
           "): b\xF3rrelo, aunque no impide la pr\xF3xima actualizaci\xF3n";
}

std::string startRefusalText(const std::string& file, const std::string& why) {
    const std::string sentence = runtime::UPPER(why.substr(0, 1)) + why.substr(1);
    return "La actualizaci\xF3n no puede empezar y no ha cambiado nada.\r\n\r\n" + file + "\r\n" +
           sentence + ".\r\n\r\nEl fichero Error.log, junto al programa, guarda los detalles.";
}

void refuseStart(const std::string& file, const std::string& why, uint32_t osCode) {
    struct Restore {
        std::shared_ptr<errors::ErrorDialog> previous;
        ~Restore() { errors::setErrorDialog(previous); }
    } restore{errors::setErrorDialog(std::make_shared<RefusalBox>(startRefusalText(file, why)))};
    raiseRunError(RunError::kInstallation, file, why, osCode);
    // The box ends the program; should a handler answer otherwise, still end it.
    throw runtime::ProgramExit{1};
}

}  // namespace updater
