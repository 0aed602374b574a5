// The run's record: gathered from the run state, written as text and JSON.
#include "updater/run_record.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#include "os/fs.h"
#include "runtime/dates.h"
#include "updater/company_plan.h"
#include "updater/installation_paths.h"
#include "updater/json_writer.h"
#include "updater/run_state.h"
#include "updater/shown_path.h"
#include "updater/table_files.h"

namespace updater {
namespace {

using Clock = std::chrono::steady_clock;

struct Recorder {
    RunRecord record;
    Clock::time_point runStart = Clock::now();
    Clock::time_point companyStart = Clock::now();
    bool companyOpen = false;  // started and not yet done
};

Recorder gRecorder;
std::string gMode;  // survives the runs of a process, as the program's face does

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Local date and time, "YYYY-MM-DD hh:mm:ss".
std::string localTimeText() {
    return runtime::dateToText(runtime::DATE(), "yyyy-mm-dd") + " " + runtime::TIME();
}

// The backups of the company's tables that are on disk: what a stopped run
// keeps for the next one, or what a clean-up could not erase.
std::vector<std::string> backupsOnDisk(const std::string& folder) {
    std::vector<std::string> names = migrationList();
    names.push_back(kNicName);
    std::vector<std::string> found;
    for (const std::string& name : names) {
        TableFiles set = backupFiles(folder, name);
        for (const std::string* file : {&set.table, &set.memo, &set.index})
            if (os::fileExists(*file)) found.push_back(*file);
    }
    return found;
}

// The company of the run state as the record keeps it. `stopped`: the run
// stopped in it.
CompanyRecord companyRecord(bool stopped) {
    const RunState& s = runState();
    CompanyRecord c;
    c.report = s.report;
    c.folder = s.companyFolder;
    c.interrupted = s.resumed;
    c.seconds = secondsSince(gRecorder.companyStart);
    c.outcome = stopped ? Outcome::Stop : s.companyGoesOn ? Outcome::Migrate : Outcome::Leave;
    c.filesLeft = s.report.filesLeft;
    c.leftAdvice = s.report.leftAdvice;
    // A company left as it was kept every file; what it holds is in its
    // problems. Otherwise the disk says what stayed behind.
    if (c.filesLeft.empty() && c.outcome != Outcome::Leave && !c.folder.empty())
        c.filesLeft = backupsOnDisk(c.folder);
    if (!c.filesLeft.empty() && c.leftAdvice.empty())
        c.leftAdvice =
            stopped ? "son las copias de seguridad de la empresa en curso: no las borre; la "
                      "siguiente actualizaci\xF3n contin\xFA"
                      "a desde ellas (Error.log dice por qu\xE9 se detuvo)"
                    : "la empresa est\xE1 actualizada: b\xF3rrelos a mano antes de usar el "
                      "programa; mientras existan, la siguiente actualizaci\xF3n volver\xE1 a "
                      "rellenar las tablas desde ellos y perder\xE1 lo escrito despu\xE9s";
    return c;
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    std::string s = text;
    for (char& ch : s)
        if (ch == '.') ch = ',';
    return s + " s";
}

const char* outcomeText(Outcome outcome) {
    switch (outcome) {
        case Outcome::Migrate:
            return "actualizada";
        case Outcome::Leave:
            return "dejada como estaba";
        default:
            return "detenida por un error";
    }
}

const char* endText(int exitCode) {
    switch (exitCode) {
        case 0:
            return "todas las empresas actualizadas";
        case 2:
            return "quedaron empresas o copias de seguridad sin terminar";
        default:
            return "detenida por un error (vea Error.log)";
    }
}

// Records read: the backup's records, deleted ones included, when the
// rebuild went to its end; what it had written when it did not.
long recordsRead(const TableReport& t) {
    return t.refilled ? t.copied + t.leftOut : -1;
}

std::string tableText(const TableReport& t) {
    std::string line = "  Tabla " + t.name + ": ";
    if (t.refilled)
        line += std::to_string(recordsRead(t)) +
                " registros le\xED"
                "dos, " +
                std::to_string(t.copied) + " escritos, " + std::to_string(t.leftOut) +
                " borrados omitidos, " + std::to_string(t.marked) + " marcados L340";
    else
        line += "no termin\xF3 (" + std::to_string(t.copied) + " registros escritos, " +
                std::to_string(t.marked) + " marcados L340)";
    if (!t.note.empty()) line += "; " + shownPathsIn(t.note);
    if (t.backupKept) line += "; copia de seguridad conservada";
    return line;
}

std::string journalText(const JournalReport& j) {
    std::string line = "  Diario " + shownPath(j.path) + ": ";
    if (j.visited) return line + std::to_string(j.marked) + " filas marcadas L340";
    return line + "omitido (" + shownPathsIn(j.why) + ")";
}

std::string companyText(const CompanyRecord& c) {
    const CompanyReport& r = c.report;
    std::string text = "Empresa " + r.code + " - " + r.name + " (" + shownPath(c.folder) +
                       "): " + outcomeText(c.outcome) + " en " + secondsText(c.seconds) + "\n";
    if (c.interrupted)
        text +=
            "  Contin\xFA"
            "a una actualizaci\xF3n interrumpida\n";
    for (const std::string& p : r.problems) text += "  ATENCI\xD3N: " + shownPathsIn(p) + "\n";
    for (const std::string& n : r.notes) text += "  Nota: " + shownPathsIn(n) + "\n";
    if (!r.linkNote.empty()) text += "  Diarios: " + shownPathsIn(r.linkNote) + "\n";
    for (const JournalReport& j : r.journals) text += journalText(j) + "\n";
    for (const TableReport& t : r.tables) text += tableText(t) + "\n";
    if (!c.filesLeft.empty()) {
        text += "  Ficheros que quedan:\n";
        for (const std::string& f : c.filesLeft) text += "    " + shownPath(f) + "\n";
        text += "  Qu\xE9 hacer: " + c.leftAdvice + "\n";
    }
    return text;
}

// Every "\n" as CR LF, as in Error.log.
std::string crlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char ch : text) {
        if (ch == '\n') out += '\r';
        out += ch;
    }
    return out;
}

std::vector<std::string> shown(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines) out.push_back(shownPathsIn(line));
    return out;
}

void tableJson(Json& j, const TableReport& t) {
    j.open('{').key("name").str(t.name).key("refilled").boolean(t.refilled);
    j.key("records").num(recordsRead(t)).key("written").num(t.copied);
    j.key("deleted").num(t.refilled ? t.leftOut : -1).key("marked").num(t.marked);
    j.key("backupKept").boolean(t.backupKept).key("note").str(shownPathsIn(t.note)).close('}');
}

void journalJson(Json& j, const JournalReport& jr) {
    j.open('{').key("path").str(shownPath(jr.path)).key("visited").boolean(jr.visited);
    j.key("marked")
        .num(jr.visited ? jr.marked : -1)
        .key("why")
        .str(shownPathsIn(jr.why))
        .close('}');
}

void companyJson(Json& j, const CompanyRecord& c) {
    const CompanyReport& r = c.report;
    j.open('{').key("code").str(r.code).key("name").str(r.name);
    j.key("folder").str(shownPath(c.folder)).key("outcome").str(outcomeName(c.outcome));
    j.key("interrupted").boolean(c.interrupted).key("seconds").fixed3(c.seconds);
    j.key("linkNote").str(shownPathsIn(r.linkNote)).key("journals").open('[');
    for (const JournalReport& jr : r.journals) journalJson(j, jr);
    j.close(']').key("tables").open('[');
    for (const TableReport& t : r.tables) tableJson(j, t);
    j.close(']').key("problems").strings(shown(r.problems)).key("notes").strings(shown(r.notes));
    j.key("filesLeft").strings(shown(c.filesLeft)).key("leftAdvice").str(c.leftAdvice).close('}');
}

}  // namespace

void recordMode(const std::string& mode) {
    gMode = mode;
}

void recordRunStarted() {
    gRecorder = Recorder{};
    gRecorder.record.startedAt = localTimeText();
}

void recordInstallation(const std::string& root, const std::optional<std::string>& variant) {
    gRecorder.record.root = root;
    gRecorder.record.variant = variant.value_or("");
}

void recordCompanyStarted() {
    gRecorder.companyStart = Clock::now();
    gRecorder.companyOpen = true;
}

void recordCompanyDone() {
    gRecorder.record.companies.push_back(companyRecord(runState().stopRun));
    gRecorder.companyOpen = false;
}

RunRecord takeRunRecord(int exitCode) {
    RunRecord r = gRecorder.record;
    r.mode = gMode;
    // A program that ended before its run began still records when and what.
    if (r.startedAt.empty()) r.startedAt = localTimeText();
    r.version = kProgramVersion;
    if (auto self = os::programFileName(); self.ok()) r.program = self.value();
    if (gRecorder.companyOpen) r.companies.push_back(companyRecord(true));
    r.seconds = secondsSince(gRecorder.runStart);
    r.exitCode = exitCode;
    r.problems = runState().problems;
    return r;
}

std::string runRecordText(const RunRecord& r) {
    std::string text = "==== Actualizaci\xF3n del " + r.startedAt + " ====\n";
    text += "Programa: " + shownPath(r.program) + ", versi\xF3n " + r.version;
    text += r.mode.empty() ? "\n" : " (" + r.mode + ")\n";
    text += "Instalaci\xF3n: " + (r.root.empty() ? "(sin ruta)" : shownPath(r.root)) + "\n";
    text += "Variante: " + r.variant + "\n";
    for (const CompanyRecord& c : r.companies) text += companyText(c);
    text += "Fin: " + std::string(endText(r.exitCode)) + "; " + std::to_string(r.companies.size()) +
            " empresas en " + secondsText(r.seconds) + "\n";
    for (const std::string& p : r.problems) text += "  " + shownPathsIn(p) + "\n";
    text +=
        "C\xF3"
        "digo de salida " +
        std::to_string(r.exitCode) + "\n\n";
    return crlf(text);
}

std::string runRecordJson(const RunRecord& r) {
    Json j;
    j.open('{').key("startedAt").str(r.startedAt).key("program").str(shownPath(r.program));
    j.key("version").str(r.version).key("mode").str(r.mode);
    j.key("root").str(shownPath(r.root)).key("variant").str(r.variant);
    j.key("exitCode").num(r.exitCode).key("seconds").fixed3(r.seconds);
    j.key("companies").open('[');
    for (const CompanyRecord& c : r.companies) companyJson(j, c);
    j.close(']').key("summary").strings(shown(r.problems)).close('}');
    return j.text() + "\n";
}

std::vector<std::string> saveRunRecord(const RunRecord& record, const std::string& folder,
                                       const std::optional<std::string>& jsonFile) {
    std::vector<std::string> failed;
    const std::string path = folder + kRunRecordName;
    {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        const std::string text = runRecordText(record);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out)
            failed.push_back(
                "No se pudo a\xF1"
                "adir el registro de la actualizaci\xF3n a " +
                shownPath(path));
    }
    if (jsonFile) {
        std::ofstream json(*jsonFile, std::ios::binary | std::ios::trunc);
        json << runRecordJson(record);
        json.close();
        if (!json) failed.push_back("No se pudo escribir " + shownPath(*jsonFile));
    }
    return failed;
}

std::string programFolder() {
    auto self = os::programFileName();
    if (!self.ok()) return "";
    const std::string& file = self.value();
    size_t cut = file.find_last_of("/\\");
    return cut == std::string::npos ? "" : file.substr(0, cut + 1);
}

}  // namespace updater
