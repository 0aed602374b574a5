// Layout of "Error.log", line by line.
#include "errors/error_report.h"

#include "errors/value_text.h"
#include "runtime/codepage.h"

namespace errors {
namespace {

constexpr const char* kEol = "\r\n";

// Collects lines, each ended by CR LF.
class Lines {
public:
    Lines& operator<<(const std::string& line) {
        text_ += line;
        text_ += kEol;
        return *this;
    }
    void raw(const std::string& text) { text_ += text; }
    std::string take() { return std::move(text_); }

private:
    std::string text_;
};

std::string padRight(std::string s, size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s.substr(0, width);
}

std::string withThousands(uint64_t n) {
    std::string digits = std::to_string(n);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

// The picture "9,999,999": nine characters, thousands separated by commas,
// asterisks in every digit place when the number does not fit.
std::string sizePicture(uint64_t n) {
    if (n > 9999999) return "*,***,***";
    std::string s = withThousands(n);
    return std::string(9 - s.size(), ' ') + s;
}

// The picture "99999": five places, asterisks when it does not fit.
std::string fivePlaces(long n) {
    return inPlaces(n, 5);
}

void applicationSection(Lines& out, const ReportFacts& f) {
    out << "Aplicacion"
        << "=========="
        << " Ruta y Nombre: " + f.exePath
        << " Tama\xF1o: " + sizePicture(f.exeSizeBytes) + " bytes" + " Fecha : " + f.exeDate
        << "   Maximo n\xBA manejadores de ficheros: ( SetHandleCount() )" +
               inPlaces(f.handleCount, 3)
        << " Error ocurrido el: " + f.today + ", " + f.timeOfDay;
    out.raw(f.versionSection);
}

void errorSection(Lines& out, const ReportFacts& f) {
    out << " Descripci\xF3n del error: " + f.description;
    if (!f.args.isArray()) return;
    out << " Args:";
    const auto& items = *f.args.array();
    for (size_t i = 0; i < items.size(); ++i) {
        const auto& v = items[i];
        out << " [" + inPlaces(static_cast<int64_t>(i + 1), 4) + "] = " + v.typeLetter() + " " +
                   asText(v);
    }
}

void systemSection(Lines& out, const ReportFacts& f) {
    uint64_t memory = f.physicalMemoryBytes + 768;
    out << ""
        << "Sistema"
        << "======="
        << " Tipo de CPU: " + f.cpuName
        << " Memoria Hardware : " + std::to_string(memory) + " (" +
               std::to_string(memory / 1048576) + " megas)"
        << ""
        << " Recursos sistema libres: % "
        << " Recursos GDI : % "
        << " Recursos usuario : % "
        << ""
        << " Versiones Windows y MsDos: " + inPlaces(f.os.major, 2) + "." +
               inPlaces(f.os.minor, 2) + ", " + inPlaces(f.os.build, 2) + "." +
               inPlaces(f.os.platformId, 2)
        << " Total aplicaciones Windows activas: " + inPlaces(f.numTasks, 3);
    for (size_t i = 0; i < f.tasks.size(); ++i)
        out << " " + inPlaces(static_cast<int64_t>(i + 1), 3) + " " + f.tasks[i];
}

void variablesSection(Lines& out, const ReportFacts& f) {
    out << ""
        << "Variables en uso"
        << "================"
        << " Procedimiento Tipo Valor"
        << " ==========================";
    for (const auto& frame : f.frames) {
        out << " " + runtime::RTRIM(frame.name);
        for (size_t j = 0; j < frame.params.size(); ++j)
            out << " Param " + inPlaces(static_cast<int64_t>(j + 1), 3) + ": " +
                       frame.params[j].typeLetter() + " " + CGETINFO(frame.params[j]);
        for (size_t j = 0; j < frame.locals.size(); ++j)
            out << " Local " + inPlaces(static_cast<int64_t>(j + 1), 3) + ": " +
                       frame.locals[j].typeLetter() + " " + CGETINFO(frame.locals[j]);
    }
}

void driversSection(Lines& out, const ReportFacts& f) {
    out << ""
        << "RDDs Enlazados"
        << "==============";
    for (const auto& name : f.tables.fullDrivers) out << " " + name;
}

void workArea(Lines& out, const WorkAreaFacts& a) {
    out << ""
        << inPlaces(a.area, 3) + ": " + (a.current ? "=> " : " ") + padRight(a.alias, 15) +
               std::string(20, ' ') + "RddName: " + a.rddName
        << " =============================="
        << " RecNo RecCount BOF EOF"
        << " " + fivePlaces(a.recNo) + " " + fivePlaces(a.recCount) + " " +
               asText(runtime::Value(a.bof)) + " " + asText(runtime::Value(a.eof))
        << ""
        << " Indices en uso " + std::string(23, ' ') + "TagName";
    for (const auto& o : a.orders) {
        if (o.keyExpression.empty()) continue;
        out << std::string(8, ' ') + (o.controlling ? "=> " : " ") + padRight(o.keyExpression, 35) +
                   o.tagName;
    }
    out << ""
        << " Relaciones en uso";
    for (const auto& r : a.relations) {
        if (r.childAlias.empty()) continue;
        out << std::string(8, ' ') + std::to_string(r.number) + ": " + "TO " + r.expression +
                   " INTO " + r.childAlias;
    }
}

void memorySection(Lines& out, const ReportFacts& f) {
    int64_t statics = f.staticCount;
    out << ""
        << "An\xE1lisis de memoria"
        << "==================="
        << " Consumo de memoria est\xE1tica "
        << " Segmento DATOS : 64k"
        << " Tama\xF1o Inicial: 0 bytes (SYMP=0, Stack=0, Heap=0)"
        << " Stack : " + std::to_string(65535 - 14 * statics) + " bytes"
        << " " + std::to_string(statics) +
               " Variables est\xE1ticas: " + std::to_string(14 * statics) + " bytes"
        << ""
        << " Consumo de Memorica Din\xE1mica :"
        << " Valor Actual : " + inPlaces(static_cast<int64_t>(f.memory.currentBytes), 10) + " bytes"
        << " Valor m\xE1ximo : " + inPlaces(static_cast<int64_t>(f.memory.peakBytes), 10) +
               " bytes";
}

}  // namespace

std::string inPlaces(int64_t n, int places) {
    std::string s = std::to_string(n);
    if (static_cast<int>(s.size()) > places) return std::string(places, '*');
    return std::string(places - s.size(), ' ') + s;
}

std::vector<std::string> callStackLines(const std::vector<FrameFacts>& frames) {
    std::vector<std::string> lines;
    for (const auto& frame : frames)
        lines.push_back(" Llamado desde " + runtime::RTRIM(frame.name) + "(" +
                        std::to_string(frame.line) + ")");
    return lines;
}

std::string reportHead(const ReportFacts& f) {
    Lines out;
    applicationSection(out, f);
    errorSection(out, f);
    out << ""
        << "Secuencia de llamadas"
        << "=====================";
    for (const auto& line : callStackLines(f.frames)) out << line;
    systemSection(out, f);
    return out.take();
}

std::string reportTail(const ReportFacts& f) {
    Lines out;
    variablesSection(out, f);
    driversSection(out, f);
    out << ""
        << "Bases de datos en uso"
        << "=====================";
    for (const auto& area : f.tables.areas) workArea(out, area);
    out << ""
        << "Clases en uso :"
        << "===============";
    memorySection(out, f);
    return out.take();
}

std::string reportFile(const ReportFacts& f) {
    return reportHead(f) + reportTail(f) + '\x1A';
}

}  // namespace errors
