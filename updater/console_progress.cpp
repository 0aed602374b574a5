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

ConsoleProgress::ConsoleProgress(std::FILE* out, bool utf8) : out_(out ? out : stdout), utf8_(utf8) {}

void ConsoleProgress::write(const std::string& text) {
    std::fputs(utf8_ ? toUtf8(text).c_str() : text.c_str(), out_);
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
    std::fprintf(out_, "  %s %ld/%ld\n", passName(fileSteps_, total), value, total);
}

void ConsoleProgress::refreshCompanies(std::string_view) {}

void ConsoleProgress::showFrame(int) {}

void ConsoleProgress::pump() { std::fflush(out_); }

void ConsoleProgress::companyStarted(std::string_view code, std::string_view name) {
    fileSteps_ = 0;
    write("Empresa " + std::string(code) + " - " + std::string(name) + "\n");
}

void ConsoleProgress::stepStarted(std::string_view what) {
    write("  " + std::string(what) + "\n");
}

void ConsoleProgress::companyDone(const CompanyReport& report) {
    write(formatReport(report));
    std::fflush(out_);
}

void ConsoleProgress::runDone(int exitCode, const std::vector<std::string>& problems) {
    std::string text = "Fin de la actualizaci\xF3n: ";
    if (exitCode == 0) text += "todas las empresas actualizadas.\n";
    else if (exitCode == 2) text += "quedaron empresas o copias de seguridad sin terminar.\n";
    else text += "detenida por un error (vea Error.log).\n";
    for (const std::string& p : problems) text += "  " + p + "\n";
    text += "C\xF3" "digo de salida " + std::to_string(exitCode) + "\n";
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

std::string toUtf8(std::string_view text) {
    // 0x80..0x9F hold the typographic characters of Windows-1252; the rest
    // of the upper half is Latin-1. Unassigned bytes become U+FFFD.
    static const char16_t k80[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    for (unsigned char c : text) {
        char32_t u = c < 0x80 ? c : c < 0xA0 ? k80[c - 0x80] : c;
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

}  // namespace updater
