// Opening a table with a bounded number of attempts (LNETUSE, _DBUSEAREA)
// and the wait of SEGUNDOS that the retrying routines share.
#include "tables/netuse.h"

#include <cctype>

#include "os/clock.h"
#include "os/fs.h"
#include "runtime/alert.h"
#include "runtime/codepage.h"
#include "runtime/frames.h"
#include "tables/dbcmd.h"
#include "tables/maintenance.h"
#include "tables/wait.h"

namespace tables {

namespace {

const char kTitleAttention[] = "Atenci\xF3n";
const char kTitleDenied[] = "Acceso denegado";

// The table's name as the messages show it: base name, first letter upper
// case and the rest lower case ("Diario").
std::string displayName(std::string_view file) {
    std::string name = runtime::LOWER(fileBaseName(file));
    if (!name.empty()) name[0] = static_cast<char>(runtime::upperByte(name[0]));
    return name;
}

// The folder as the messages name it: up to and including the last
// separator, upper case; a bare name gives its drive (if any) and a backslash.
std::string messageFolder(std::string_view file) {
    std::string folder = fileFolder(file);
    if (!folder.empty()) return folder;
    std::string drive = file.size() >= 2 && file[1] == ':' ? runtime::UPPER(file.substr(0, 2)) : "";
    return drive + "\\";
}

// Shows the message for a recognised open failure; false when the code is
// not one of them (the caller then waits and tries again).
bool reportOpenFailure(int code, std::string_view file) {
    std::string folder = messageFolder(file);
    std::string name = displayName(file);
    switch (code) {
        case 2:
            runtime::MSGSTOP(
                std::string("No se ha encontrado el fichero que se intentaba abrir :") + name +
                    ".dbf.\n\rCompruebe que este fichero exista en el directorio :\n\r" + folder,
                kTitleAttention);
            return true;
        case 3:
            runtime::MSGSTOP("El directorio :" + folder +
                                 " no existe o no es accesible.\n\rCompruebe los directorios de la "
                                 "aplicaci\xF3n",
                             kTitleAttention);
            return true;
        case 4:
            runtime::MSGSTOP(
                "Ha superado el m\xE1ximo n\xFAmero de ficheros abiertos.\n\r"
                "Debe cerrar alg\xFAn proceso activo\n\r"
                " o reconfigurar el par\xE1metro FILES del CONFIG.SYS",
                kTitleAttention);
            return true;
        case 5:
        case 32:
            runtime::MSGALERT("Es necesario tener acceso exclusivo al fichero " + name +
                                  ".dbf. Revise los procesos abiertos",
                              kTitleDenied);
            return true;
        default:
            return false;
    }
}

}  // namespace

void SEGUNDOS(double nSeconds) {
    waitSeconds(nSeconds);
}

void _DBUSEAREA(bool lNewArea, std::optional<std::string_view>, std::string_view cFile,
                std::optional<std::string_view> cAlias, std::optional<bool> lShared,
                std::optional<bool> lReadOnly) {
    std::string driver;
    for (char c : RDDSETDEFAULT())
        if (c != ' ' && driver.size() < 3) driver += c;
    DBUSEAREA(lNewArea, driver, cFile, cAlias, lShared, lReadOnly);
}

bool LNETUSE(std::string_view cFile, bool lExclusive, double nSeconds,
             std::optional<std::string_view> cAlias, bool, bool, bool lNewArea, int nOrder) {
    runtime::Frame frame("LNETUSE", __LINE__);
    frame.param("cFile", cFile).param("lExclusive", lExclusive).param("nSeconds", nSeconds);
    bool keepTrying = nSeconds == 0;
    int attempts = 0;
    while ((keepTrying || nSeconds > 0) && attempts < 10) {
        _DBUSEAREA(lNewArea, std::nullopt, cFile, cAlias, !lExclusive);
        if (!NETERR()) {
            std::string bag = fileFolder(cFile) + runtime::UPPER(fileBaseName(cFile)) + indexExt();
            if (os::fileExists(bag)) DBSETORDER(nOrder);
            return true;
        }
        bool reported = reportOpenFailure(NERRORCODE(), cFile);
        NERRORCODE(0);
        if (reported) break;
        ++attempts;
        SEGUNDOS(1);
        nSeconds -= 1;
    }
    return false;
}

}  // namespace tables
