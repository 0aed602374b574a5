// The lock question and delete confirmation as data, and the console and
// recording dialog implementations.
#include "tables/dialogs.h"

#include <iostream>

namespace tables {

namespace {

ConsoleDialogUi& consoleDialog() {
    static ConsoleDialogUi ui;
    return ui;
}

DialogUi* g_ui = nullptr;

}  // namespace

DialogUi* setDialogUi(DialogUi* ui) {
    DialogUi* previous = g_ui;
    g_ui = ui;
    return previous;
}

DialogUi& dialogUi() { return g_ui ? *g_ui : consoleDialog(); }

int ConsoleDialogUi::run(const DialogSpec& spec) {
    std::cerr << "[dialog " << spec.resourceId << "]\n";
    for (const DialogLine& line : spec.lines) std::cerr << "  " << line.text << '\n';
    for (const DialogButton& b : spec.buttons)
        if (b.id == spec.unattendedButton) std::cerr << "  -> " << b.caption << '\n';
    return spec.unattendedButton;
}

int RecordingDialogUi::run(const DialogSpec& spec) {
    shown.push_back(spec);
    if (answers.empty()) return defaultAnswer;
    int a = answers.front();
    answers.pop_front();
    return a;
}

DialogSpec lockQuestionDialog(const std::vector<std::string>& lines) {
    DialogSpec spec;
    spec.resourceId = kLockQuestionTemplate;
    const int ids[3] = {100, 110, 120};
    for (size_t k = 0; k < lines.size() && k < 3; ++k)
        spec.lines.push_back({ids[k], lines[k], kColorMaroon});
    spec.bitmapId = 600;
    spec.bitmap = "BMP_STOP";
    spec.buttons = {{kLockRetryButton, "&Reintentar"}, {kLockGiveUpButton, "&Abandonar"}};
    spec.unattendedButton = kLockGiveUpButton;
    return spec;
}

DialogSpec deleteConfirmDialog(bool touchMode) {
    DialogSpec spec;
    spec.resourceId = touchMode ? kDeleteTouchTemplate : kDeleteTemplate;
    spec.helpId = 999100000;
    spec.lines = {
        {100, "Esta opci\xF3n elimina el registro activo", kColorNavy},
        {101, "Si confirma se perder\xE1 definitivamente", kColorNavy},
        {102, "\xBF Desea eliminar el registro activo ? ", kColorMaroon},
        {103, "Ejecute la organizaci\xF3n de ficheros cuando disponga de tiempo", kColorNavy},
    };
    spec.bitmapId = 600;
    spec.bitmap = "BMP_BOMBA";
    spec.buttons = {{kDeleteConfirmButton, "&Eliminar"}, {kDeleteCancelButton, "&Cancelar"}};
    spec.unattendedButton = kDeleteCancelButton;
    return spec;
}

DialogSpec integrityCheckDialog() {
    DialogSpec spec;
    spec.resourceId = kIntegrityTemplate;
    spec.boldLines = true;
    spec.lineHeightDelta = -2;
    const char* texts[6] = {
        "Se va a comprobar la estructura f\xEDsica de las tablas de la empresa.",
        "Las cabeceras de las tablas se reescriben y su tama\xF1o se ajusta",
        "al n\xFAmero de registros que declaran.",
        "Esta operaci\xF3n no se puede deshacer.",
        "Haga una copia de seguridad de los datos antes de continuar.",
        "\xBF Desea realizar la comprobaci\xF3n ahora ?",
    };
    for (int i = 0; i < 6; ++i) spec.lines.push_back({90 + i, texts[i], kColorMaroon});
    spec.buttons = {{kIntegrityAcceptButton, "&Aceptar"}, {kIntegrityCancelButton, "&Cancelar"}};
    spec.unattendedButton = kIntegrityCancelButton;
    return spec;
}

}  // namespace tables
