// Console text and JSON of an installation's check.
#include "updater/check_report.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "runtime/codepage.h"
#include "runtime/console_text.h"
#include "startup/arranque.h"
#include "updater/console_progress.h"
#include "updater/installation_paths.h"
#include "updater/json_writer.h"
#include "updater/migration_record.h"
#include "updater/shown_path.h"

namespace updater {
namespace {

const char* outcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::Migrate:
            return "se actualizar\xE1";
        case Outcome::Leave:
            return "se dejar\xE1 como est\xE1";
        case Outcome::Stop:
            return "la actualizaci\xF3n se detendr\xE1 en esta empresa";
        default:
            return "la actualizaci\xF3n no llegar\xE1 a esta empresa";
    }
}

// A size as people read it: KB below a megabyte, MB from there.
std::string sizeText(uint64_t bytes) {
    char text[32];
    if (bytes < 1024 * 1024)
        std::snprintf(text, sizeof text, "%llu KB",
                      static_cast<unsigned long long>((bytes + 1023) / 1024));
    else
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

std::string tableLine(const TableCheck& t) {
    std::string line = "  " + t.name + ": ";
    if (t.source.empty()) return line + "no existe";
    if (t.action == "resume")
        line += "se reanuda desde " + t.source;
    else if (t.action == "erase")
        return line + "ya rellenada; se borra su copia " + t.source;
    else if (t.action == "migrate")
        line += "se actualiza";
    else
        line += "no se toca (" + t.source + ")";
    if (t.records >= 0) line += ", " + std::to_string(t.records) + " registros";
    if (t.deleted > 0)
        line += " (" + std::to_string(t.deleted) + " borrados, que no pasan a la tabla nueva)";
    if (t.memo) line += ", memo";
    if (t.index) line += ", \xEDndice";
    return line + ", " + sizeText(t.bytes);
}

std::string companyBlock(const CompanyCheck& c) {
    std::string text =
        "Empresa " + c.code + " - " + runtime::UPPER(c.name) + " (" + shownPath(c.folder) + ")\n";
    if (!c.record.empty())
        text += std::string("  Actualizaci\xF3n interrumpida (registro ") + kRecordName +
                "): " + c.record + "\n";
    else if (c.interrupted)
        text +=
            "  Actualizaci\xF3n interrumpida: se contin\xFA"
            "a desde las copias de seguridad\n";
    if (c.keysPresent) {
        if (!c.linkNote.empty()) text += "  Diarios: " + shownPathsIn(c.linkNote) + "\n";
        for (const JournalCheck& j : c.journals)
            text += "  Diario " + shownPath(j.path) + ": " + shownPathsIn(j.why) + "\n";
    }
    for (const TableCheck& t : c.tables) text += tableLine(t) + "\n";
    for (const std::string& why : c.leaves) text += "  SE DEJA: " + shownPathsIn(why) + "\n";
    for (const std::string& why : c.stops) text += "  SE DETIENE: " + shownPathsIn(why) + "\n";
    for (const std::string& f : c.filesLeft) text += "  QUEDAR\xC1: " + shownPathsIn(f) + "\n";
    for (const std::string& note : c.notes) text += "  Nota: " + shownPathsIn(note) + "\n";
    return text + "  Resultado: " + outcomeText(c.outcome) + "\n";
}

std::string endText(int exitCode) {
    switch (exitCode) {
        case 0:
            return "una actualizaci\xF3n actualizar\xED"
                   "a todas las empresas";
        case 2:
            return "una actualizaci\xF3n dejar\xED"
                   "a algo como est\xE1";
        default:
            return "una actualizaci\xF3n se detendr\xED"
                   "a";
    }
}

void tableJson(Json& j, const TableCheck& t) {
    j.open('{').key("name").str(t.name).key("present").boolean(t.present);
    j.key("backupPresent")
        .boolean(t.backupPresent)
        .key("action")
        .str(t.action)
        .key("source")
        .str(t.source);
    j.key("records").num(t.records).key("deleted").num(t.deleted).key("memo").boolean(t.memo);
    j.key("index").boolean(t.index).key("bytes").num(static_cast<long long>(t.bytes)).close('}');
}

void companyJson(Json& j, const CompanyCheck& c) {
    j.open('{').key("code").str(c.code).key("name").str(c.name);
    j.key("folder").str(shownPath(c.folder));
    j.key("outcome").str(outcomeName(c.outcome)).key("interrupted").boolean(c.interrupted);
    j.key("keysPresent").boolean(c.keysPresent).key("linkNote").str(c.linkNote);
    j.key("journals").open('[');
    for (const JournalCheck& jc : c.journals)
        j.open('{')
            .key("path")
            .str(shownPath(jc.path))
            .key("state")
            .str(jc.state)
            .key("why")
            .str(jc.why)
            .close('}');
    j.close(']').key("tables").open('[');
    for (const TableCheck& t : c.tables) tableJson(j, t);
    j.close(']')
        .key("leftAsItIs")
        .strings(c.leaves)
        .key("stops")
        .strings(c.stops)
        .key("notes")
        .strings(c.notes)
        .key("filesLeft")
        .strings(c.filesLeft)
        .key("record")
        .str(c.record);
    j.key("bytesNeeded").num(static_cast<long long>(c.bytesNeeded)).close('}');
}

}  // namespace

std::string formatCheck(const InstallationCheck& check) {
    std::string text = "Comprobaci\xF3n de " + shownPath(check.root) + " (no se modifica nada)\n";
    for (const CompanyCheck& c : check.companies) text += companyBlock(c);
    if (check.freeKnown)
        text += "Espacio libre: " + sizeText(check.freeBytes) +
                "; una actualizaci\xF3n necesita como m\xE1ximo " + sizeText(check.peakBytes) +
                (check.peakCompany.empty() ? "" : " (empresa " + check.peakCompany + ")") + "\n";
    else
        text += "Espacio libre: no se puede saber\n";
    text += "Resumen: " + std::to_string(check.companies.size()) + " empresas; " +
            endText(check.exitCode) + ".\n";
    for (const std::string& line : check.summary) text += "  " + shownPathsIn(line) + "\n";
    return text +
           "C\xF3"
           "digo de salida " +
           std::to_string(check.exitCode) + "\n";
}

std::string checkJson(const InstallationCheck& check) {
    Json j;
    j.open('{').key("root").str(shownPath(check.root)).key("exitCode").num(check.exitCode);
    j.key("stops").strings(check.stops).key("companies").open('[');
    for (const CompanyCheck& c : check.companies) companyJson(j, c);
    j.close(']').key("freeKnown").boolean(check.freeKnown);
    j.key("freeBytes").num(static_cast<long long>(check.freeBytes));
    j.key("peakBytes")
        .num(static_cast<long long>(check.peakBytes))
        .key("peakCompany")
        .str(check.peakCompany);
    j.key("summary").strings(check.summary).close('}');
    return j.text() + "\n";
}

int runCheck(const std::optional<std::string>& cPath, const std::optional<std::string>& jsonFile,
             std::FILE* out, bool utf8) {
    if (!cPath) {
        std::fputs("updater --check <ruta del programa> <variante> [--json FICHERO]\n", out);
        return 1;
    }
    runtime::HB_SETCODEPAGE("ESWIN");
    auto say = [&](const std::string& text) {
        std::fputs((utf8 ? runtime::toUtf8(text) : text).c_str(), out);
        std::fflush(out);
    };
    // The JSON file is named from where the program was started; it is
    // opened first, so that a name that cannot be written is said before
    // the report, not after it.
    std::ofstream json;
    if (jsonFile) {
        json.open(std::filesystem::absolute(*jsonFile), std::ios::binary | std::ios::trunc);
        if (!json) {
            say("No se puede escribir el fichero " + *jsonFile +
                " (compruebe que su carpeta existe y que se puede escribir en ella)\n"
                "C\xF3"
                "digo de salida 1\n");
            return 1;
        }
    }
    // Paths are read as the run reads them: from the program's folder.
    startup::moveToProgramFolder();
    InstallationCheck check = checkInstallation(installRoot(*cPath));
    say(formatCheck(check));
    if (!jsonFile) return check.exitCode;
    json << checkJson(check);
    json.close();
    if (json) return check.exitCode;
    say("No se pudo escribir " + *jsonFile + "\n");
    return 1;
}

}  // namespace updater
