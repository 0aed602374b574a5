// The command line.
#include "updater/arguments.h"

#include <string_view>

namespace updater {

Arguments parseArguments(int argc, const char* const* argv) {
    Arguments a;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--console") {
            a.console = true;
        } else if (arg == "--check") {
            a.check = true;
        } else if (arg == "--json") {
            if (i + 1 == argc) {
                a.error = "falta el nombre del fichero tras --json";
                return a;
            }
            a.json = argv[++i];
        } else if (arg.size() > 2 && arg.substr(0, 2) == "--") {
            a.error = "opci\xF3n desconocida: " + std::string(arg);
            return a;
        } else if (positional == 0) {
            a.path = std::string(arg);
            ++positional;
        } else if (positional == 1) {
            a.variant = std::string(arg);
            ++positional;
        }
    }
    if (!a.path) a.error = "falta la ruta del programa";
    return a;
}

std::string usageText(const std::string& why) {
    std::string text = why.empty() ? "" : "No se puede empezar: " + why + ".\n\n";
    return text +
           "Uso:\n"
           "  updater [--console] [--json FICHERO] <ruta del programa> <variante>\n"
           "  updater --check [--json FICHERO] <ruta del programa>\n"
           "\n"
           "La ra\xEDz de la instalaci\xF3n es la ruta del programa sin sus cuatro \xFAltimos "
           "caracteres: con C:\\CONTA\\EXE la ra\xEDz es C:\\CONTA y su registro de empresas "
           "C:\\CONTA\\DBF\\Empresa.dbf. Una ruta con espacios va entre comillas.\n"
           "--console  muestra el progreso en la consola en lugar de la ventana.\n"
           "--check    dice, sin cambiar nada, lo que har\xED"
           "a la actualizaci\xF3n con cada "
           "empresa.\n"
           "--json     escribe lo hecho (o, con --check, el informe) tambi\xE9n en FICHERO.\n"
           "C\xF3"
           "digos de salida: 0 todo actualizado, 2 algo se dej\xF3 como estaba, 1 detenida por "
           "un error.\n";
}

}  // namespace updater
