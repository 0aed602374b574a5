// The lock question and delete confirmation as data, and the console and
// recording dialog implementations.
#include "tables/dialogs.h"

#include <cstdio>

#include "runtime/console_text.h"

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

DialogUi& dialogUi() {
    return g_ui ? *g_ui : consoleDialog();
}

int ConsoleDialogUi::run(const DialogLayout& def) {
    std::string text = "[dialog " + std::to_string(def.resourceId) + "]\n";
    for (const DialogLine& line : def.lines) text += "  " + line.text + "\n";
    for (const DialogButton& b : def.buttons)
        if (b.id == def.unattendedButton) text += "  -> " + b.caption + "\n";
    runtime::consoleWrite(stderr, text);
    return def.unattendedButton;
}

int RecordingDialogUi::run(const DialogLayout& def) {
    shown.push_back(def);
    if (answers.empty()) return defaultAnswer;
    int a = answers.front();
    answers.pop_front();
    return a;
}

DialogLayout lockQuestionDialog(const std::vector<std::string>& lines) {
    DialogLayout def;
    def.resourceId = kLockQuestionTemplate;
    const int ids[3] = {100, 110, 120};
    for (size_t k = 0; k < lines.size() && k < 3; ++k)
        def.lines.push_back({ids[k], lines[k], kColorMaroon});
    def.bitmapId = 600;
    def.bitmap = "BMP_STOP";
    def.buttons = {{kLockRetryButton, "&Reintentar"}, {kLockGiveUpButton, "&Abandonar"}};
    def.unattendedButton = kLockGiveUpButton;
    return def;
}

DialogLayout deleteConfirmDialog(bool touchMode) {
    DialogLayout def;
    def.resourceId = touchMode ? kDeleteTouchTemplate : kDeleteTemplate;
    def.helpId = 999100000;
    def.lines = {
        {100, "Esta opci\xF3n elimina el registro activo", kColorNavy},
        {101, "Si confirma se perder\xE1 definitivamente", kColorNavy},
        {102, "\xBF Desea eliminar el registro activo ? ", kColorMaroon},
        {103, "Ejecute la organizaci\xF3n de ficheros cuando disponga de tiempo", kColorNavy},
    };
    def.bitmapId = 600;
    def.bitmap = "BMP_BOMBA";
    def.buttons = {{kDeleteConfirmButton, "&Eliminar"}, {kDeleteCancelButton, "&Cancelar"}};
    def.unattendedButton = kDeleteCancelButton;
    return def;
}

DialogLayout integrityCheckDialog() {
    DialogLayout def;
    def.resourceId = kIntegrityTemplate;
    def.boldLines = true;
    def.lineHeightDelta = -2;
    const char* texts[6] = {
        "Se va a comprobar la estructura f\xEDsica de las tablas de la empresa.",
        "Las cabeceras de las tablas se reescriben y su tama\xF1o se ajusta",
        "al n\xFAmero de registros que declaran.",
        "Esta operaci\xF3n no se puede deshacer.",
        "Haga una copia de seguridad de los datos antes de continuar.",
        "\xBF Desea realizar la comprobaci\xF3n ahora ?",
    };
    for (int i = 0; i < 6; ++i) def.lines.push_back({90 + i, texts[i], kColorMaroon});
    def.buttons = {{kIntegrityAcceptButton, "&Aceptar"}, {kIntegrityCancelButton, "&Cancelar"}};
    def.unattendedButton = kIntegrityCancelButton;
    return def;
}

}  // namespace tables
