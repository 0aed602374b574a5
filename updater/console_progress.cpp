// Console progress: lines on stdout in the console's encoding, flushed at
// every pump; a record step's progress in place on a terminal.
#include "updater/console_progress.h"

#include <algorithm>

#include "updater/shown_path.h"

namespace updater {
namespace {

// The three passes the file meter runs through for one company.
const char* passName(long step, long total) {
    if (total <= 0) return "";
    switch ((step - 1) / total) {
        case 0:
            return "copia de seguridad";
        case 1:
            return "plantilla";
        default:
            return "limpieza";
    }
}

std::string tableLine(const TableReport& t) {
    std::string line = "    " + t.name + ": ";
    if (!t.note.empty() && !t.refilled && t.copied == 0) return line + t.note;
    line += std::to_string(t.copied) + " registros copiados, " + std::to_string(t.marked) +
            " marcados L340";
    if (t.refilled) line += ", " + std::to_string(t.leftOut) + " borrados omitidos";
    if (t.backupKept) line += "; copia de seguridad conservada (" + t.note + ")";
    return line;
}

std::string journalLine(const JournalReport& j) {
    std::string line = "    Diario " + j.path + ": ";
    if (j.visited) return line + std::to_string(j.marked) + " marcados L340";
    return line + "no visitado (" + j.why + ")";
}

}  // namespace

ConsoleProgress::ConsoleProgress(std::FILE* out)
    : ConsoleProgress(out, runtime::consoleEncoding(),
                      runtime::consoleIsTerminal(out ? out : stdout)) {}

ConsoleProgress::ConsoleProgress(std::FILE* out, runtime::ConsoleEncoding encoding, bool terminal)
    : out_(out ? out : stdout), encoding_(encoding), terminal_(terminal) {}

ConsoleProgress::~ConsoleProgress() {
    runtime::consoleEndStatus(out_);
}

// The program's own lines name files by the paths the run builds; they are
// shown with the platform's separator. Company names go out as they are.
void ConsoleProgress::write(const std::string& text) {
    runtime::consoleWrite(out_, shownPathsIn(text), encoding_);
}

void ConsoleProgress::setCaption(Meter meter, std::string_view text) {
    if (meter == Meter::kCompany) write(std::string(text) + "\n");
}

void ConsoleProgress::setTotal(Meter meter, long total) {
    totals_[static_cast<int>(meter)] = total;
}

void ConsoleProgress::setValue(Meter meter, long value) {
    if (meter != Meter::kFile || value <= 0) return;
    ++fileSteps_;
    long total = totals_[1];
    write("  " + std::string(passName(fileSteps_, total)) + " " + std::to_string(value) + "/" +
          std::to_string(total) + "\n");
}

void ConsoleProgress::refreshCompanies(std::string_view) {}

void ConsoleProgress::showFrame(int) {}

void ConsoleProgress::pump() {
    std::fflush(out_);
}

void ConsoleProgress::companyStarted(std::string_view code, std::string_view name) {
    fileSteps_ = 0;
    runtime::consoleWrite(out_, "Empresa " + std::string(code) + " - " + std::string(name) + "\n",
                          encoding_);
}

void ConsoleProgress::stepStarted(std::string_view what) {
    step_ = "  " + shownPathsIn(what);
    stepShown_ = -1;
    stepDone_ = -1;
    if (terminal_)
        runtime::consoleStatus(out_, step_, encoding_);
    else
        write(step_ + "\n");
}

void ConsoleProgress::stepProgress(long done, long total) {
    if (done == stepDone_) return;
    // A terminal redraws at every percent; a file gets a line per tenth.
    const int scale = terminal_ ? 100 : 10;
    int shown =
        total > 0 ? static_cast<int>(std::min(done, total) * scale / total) : stepShown_ + 1;
    if (shown <= stepShown_) return;
    stepShown_ = shown;
    stepDone_ = done;
    if (terminal_)
        runtime::consoleStatus(out_, step_ + ": " + stepCount(done, total), encoding_);
    else
        write("    " + stepCount(done, total) + "\n");
}

void ConsoleProgress::companyDone(const CompanyReport& report) {
    write(formatReport(report));
    std::fflush(out_);
}

void ConsoleProgress::runDone(int exitCode, const std::vector<std::string>& problems) {
    std::string text = "Fin de la actualizaci\xF3n: ";
    if (exitCode == 0)
        text += "todas las empresas actualizadas.\n";
    else if (exitCode == 2)
        text += "quedaron empresas o copias de seguridad sin terminar.\n";
    else
        text += "detenida por un error (vea Error.log).\n";
    for (const std::string& p : problems) text += "  " + p + "\n";
    text +=
        "C\xF3"
        "digo de salida " +
        std::to_string(exitCode) + "\n";
    write(text);
    std::fflush(out_);
}

std::string formatReport(const CompanyReport& report) {
    std::string text = "  Resumen " + report.code + ":\n";
    for (const std::string& p : report.problems) text += "    ATENCI\xD3N: " + p + "\n";
    for (const std::string& n : report.notes) text += "    Nota: " + n + "\n";
    if (!report.linkNote.empty()) text += "    Diarios: " + report.linkNote + "\n";
    for (const JournalReport& j : report.journals) text += journalLine(j) + "\n";
    for (const TableReport& t : report.tables) text += tableLine(t) + "\n";
    return text;
}

std::string stepCount(long done, long total) {
    if (total <= 0) return std::to_string(done) + " registros";
    long percent = std::min(done, total) * 100 / total;
    return std::to_string(done) + "/" + std::to_string(total) + " registros (" +
           std::to_string(percent) + "%)";
}

}  // namespace updater
