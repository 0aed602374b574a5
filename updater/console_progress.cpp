// Console progress: plain lines on stdout, flushed at every pump.
#include "updater/console_progress.h"

namespace updater {
namespace {

// The three passes the file meter runs through for one company.
const char* passName(long step, long total) {
    if (total <= 0) return "";
    switch ((step - 1) / total) {
    case 0: return "copia de seguridad";
    case 1: return "plantilla";
    default: return "limpieza";
    }
}

std::string tableLine(const TableReport& t) {
    std::string line = "    " + t.name + ": ";
    if (!t.note.empty() && !t.refilled && t.copied == 0) return line + t.note;
    line += std::to_string(t.copied) + " registros copiados, " + std::to_string(t.marked) +
            " marcados L340";
    if (t.backupKept) line += "; copia de seguridad conservada (" + t.note + ")";
    return line;
}

std::string journalLine(const JournalReport& j) {
    std::string line = "    Diario " + j.path + ": ";
    if (j.visited) return line + std::to_string(j.marked) + " marcados L340";
    return line + "no visitado (" + j.why + ")";
}

}  // namespace

ConsoleProgress::ConsoleProgress(std::FILE* out) : out_(out ? out : stdout) {}

void ConsoleProgress::setCaption(Meter meter, std::string_view text) {
    if (meter == Meter::kCompany)
        std::fprintf(out_, "%.*s\n", static_cast<int>(text.size()), text.data());
}

void ConsoleProgress::setTotal(Meter meter, long total) {
    totals_[static_cast<int>(meter)] = total;
}

void ConsoleProgress::setValue(Meter meter, long value) {
    if (meter != Meter::kFile || value <= 0) return;
    ++fileSteps_;
    long total = totals_[1];
    std::fprintf(out_, "  %s %ld/%ld\n", passName(fileSteps_, total), value, total);
}

void ConsoleProgress::refreshCompanies(std::string_view) {}

void ConsoleProgress::showFrame(int) {}

void ConsoleProgress::pump() { std::fflush(out_); }

void ConsoleProgress::companyStarted(std::string_view code, std::string_view name) {
    fileSteps_ = 0;
    std::fprintf(out_, "Empresa %.*s - %.*s\n", static_cast<int>(code.size()), code.data(),
                 static_cast<int>(name.size()), name.data());
}

void ConsoleProgress::companyDone(const CompanyReport& report) {
    std::fputs(formatReport(report).c_str(), out_);
    std::fflush(out_);
}

std::string formatReport(const CompanyReport& report) {
    std::string text = "  Resumen " + report.code + ":\n";
    if (!report.linkNote.empty()) text += "    Diarios: " + report.linkNote + "\n";
    for (const JournalReport& j : report.journals) text += journalLine(j) + "\n";
    for (const TableReport& t : report.tables) text += tableLine(t) + "\n";
    return text;
}

}  // namespace updater
