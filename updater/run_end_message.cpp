// The message that closes a run which left something as it was.
#include "updater/run_end_message.h"

#include "updater/run_record.h"

namespace updater {
namespace {

// Where the whole story is. Short enough to end the last line of the text
// without making the box taller, so that it leaves the meters in sight.
const std::string kRecordSentence =
    std::string("Lo hecho en cada empresa est\xE1 en ") + kRunRecordName + ".";

}  // namespace

RunEndMessage runEndMessage(int exitCode, const std::vector<std::string>& problems) {
    RunEndMessage m;
    if (exitCode == 0) return m;
    if (exitCode == 1) {
        m.title = "Actualizaci\xF3n detenida";
        m.text =
            "La actualizaci\xF3n se ha detenido por un error.\r\n"
            "El fichero Error.log, junto al programa, indica el fichero y la causa.\r\n"
            "Las copias de seguridad de la empresa en curso se conservan: "
            "al ejecutar de nuevo la actualizaci\xF3n, contin\xFA"
            "a desde ellas. " +
            kRecordSentence;
    } else {
        m.title = "Actualizaci\xF3n incompleta";
        m.text = "La actualizaci\xF3n ha terminado, pero se ha dejado como estaba:\r\n";
    }
    size_t listed = 0;
    for (const std::string& p : problems) {
        if (listed == kListedProblems) break;
        m.text += "\r\n  " + p;
        ++listed;
    }
    if (problems.size() > listed)
        m.text += "\r\n  ... y " + std::to_string(problems.size() - listed) + " m\xE1s";
    if (exitCode == 2)
        m.text +=
            "\r\n\r\nResuelva lo indicado (por ejemplo, cierre los programas que usan esos "
            "ficheros) y ejecute de nuevo la actualizaci\xF3n. Lo dejado como estaba no ha "
            "cambiado. " +
            kRecordSentence;
    return m;
}

}  // namespace updater
