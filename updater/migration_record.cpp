// Writing, reading and erasing a company's migration record.
#include "updater/migration_record.h"

#include <algorithm>

#include "os/file.h"
#include "os/fs.h"
#include "runtime/value.h"

namespace updater {
namespace {

constexpr std::string_view kHeading = "ACTUALIZACION DE EMPRESA ";
constexpr std::string_view kTable = "TABLA ";
constexpr std::string_view kMoved = "COPIAS HECHAS";
constexpr std::string_view kTemplates = "PLANTILLAS PUESTAS";
constexpr std::string_view kJournals = "DIARIOS MARCADOS";
constexpr std::string_view kRefilled = "RELLENADA ";
constexpr std::string_view kEnd = "FIN";
// Far more than any record holds; a longer file is not one.
constexpr uint64_t kMaxRecordBytes = 4096;

// Splits `text` into CRLF-ended lines; false when a line ends otherwise or
// the text does not end with a line end.
bool splitLines(std::string_view text, std::vector<std::string_view>* lines) {
    while (!text.empty()) {
        size_t end = text.find("\r\n");
        if (end == std::string_view::npos) return false;
        std::string_view line = text.substr(0, end);
        if (line.find_first_of("\r\n") != std::string_view::npos) return false;
        lines->push_back(line);
        text.remove_prefix(end + 2);
    }
    return true;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::string recordPath(const std::string& folder) {
    return folder + kRecordName;
}

}  // namespace

bool MigrationRecord::allRefilled() const {
    return std::all_of(tables.begin(), tables.end(),
                       [](const RecordedTable& t) { return t.refilled; });
}

RecordedTable* MigrationRecord::find(std::string_view name) {
    for (RecordedTable& t : tables)
        if (runtime::sameName(t.name, name)) return &t;
    return nullptr;
}

const RecordedTable* MigrationRecord::find(std::string_view name) const {
    return const_cast<MigrationRecord*>(this)->find(name);
}

std::string formatRecord(const MigrationRecord& record) {
    std::string text = std::string(kHeading) + std::to_string(kRecordVersion) + "\r\n";
    for (const RecordedTable& t : record.tables)
        text += std::string(kTable) + t.name + " " + t.templateName + "\r\n";
    if (record.moved) text += std::string(kMoved) + "\r\n";
    if (record.templatesIn) text += std::string(kTemplates) + "\r\n";
    if (record.journalsMarked) text += std::string(kJournals) + "\r\n";
    for (const RecordedTable& t : record.tables)
        if (t.refilled) text += std::string(kRefilled) + t.name + "\r\n";
    text += std::string(kEnd) + "\r\n";
    return text;
}

std::string parseRecord(std::string_view text,
                        const std::vector<std::pair<std::string, std::string>>& known,
                        MigrationRecord* record) {
    *record = MigrationRecord{};
    std::vector<std::string_view> lines;
    if (!splitLines(text, &lines) || lines.empty()) return "no es un registro de actualizaci\xF3n";
    if (!startsWith(lines.front(), kHeading)) return "no es un registro de actualizaci\xF3n";
    std::string_view version = lines.front().substr(kHeading.size());
    if (version.empty() || version.size() > 4 ||
        !std::all_of(version.begin(), version.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "no es un registro de actualizaci\xF3n";
    if (std::stoi(std::string(version)) != kRecordVersion)
        return "es de otra versi\xF3n del programa (formato " + std::string(version) + ")";
    if (lines.back() != kEnd) return "est\xE1 incompleto";
    // The phases in the order they are written; each may appear once.
    int phase = 0;  // 0 tables, 1 moved, 2 templates, 3 journals, 4 refilled
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (startsWith(line, kTable) && phase == 0) {
            std::string_view rest = line.substr(kTable.size());
            size_t space = rest.find(' ');
            if (space == std::string_view::npos) return "tiene una l\xEDnea TABLA incompleta";
            std::string_view name = rest.substr(0, space), templ = rest.substr(space + 1);
            auto it = std::find_if(known.begin(), known.end(), [&](const auto& k) {
                return runtime::sameName(k.first, name) && runtime::sameName(k.second, templ);
            });
            if (it == known.end()) return "nombra una tabla desconocida: " + std::string(name);
            if (record->find(name)) return "nombra dos veces " + std::string(name);
            record->tables.push_back({it->first, it->second, false});
        } else if (line == kMoved && phase == 0) {
            record->moved = true;
            phase = 1;
        } else if (line == kTemplates && phase == 1) {
            record->templatesIn = true;
            phase = 2;
        } else if (line == kJournals && phase == 2) {
            record->journalsMarked = true;
            phase = 3;
        } else if (startsWith(line, kRefilled) && phase >= 2) {
            RecordedTable* t = record->find(line.substr(kRefilled.size()));
            if (!t || t->refilled) return "tiene una l\xEDnea RELLENADA que no cuadra";
            t->refilled = true;
            phase = 4;
        } else {
            return "tiene una l\xEDnea que no se entiende (" + std::to_string(i + 1) + ")";
        }
    }
    if (record->tables.empty()) return "no nombra ninguna tabla";
    return {};
}

RecordRead readRecord(const std::string& folder,
                      const std::vector<std::pair<std::string, std::string>>& known) {
    RecordRead r;
    std::string path = recordPath(folder);
    if (!os::fileExists(path)) return r;
    r.state = RecordRead::State::Unreadable;
    auto file =
        os::File::open(path, os::Access::Read, os::Share::Shared, os::Disposition::OpenExisting);
    if (!file.ok()) {
        r.osCode = file.status().code();
        r.why = "no se puede leer (" + file.status().message() + ")";
        return r;
    }
    auto size = file.value().size();
    if (!size.ok() || size.value() > kMaxRecordBytes) {
        r.osCode = size.ok() ? 0 : size.status().code();
        r.why =
            size.ok() ? "es demasiado largo" : "no se puede leer (" + size.status().message() + ")";
        return r;
    }
    std::string text(size.value(), '\0');
    auto got = file.value().read(0, text.data(), text.size());
    if (!got.ok()) {
        r.osCode = got.status().code();
        r.why = "no se puede leer (" + got.status().message() + ")";
        return r;
    }
    text.resize(got.value());
    r.why = parseRecord(text, known, &r.record);
    if (r.why.empty()) r.state = RecordRead::State::Read;
    return r;
}

os::Status writeRecord(const std::string& folder, const MigrationRecord& record) {
    std::string scratch = folder + kRecordScratchName;
    std::string text = formatRecord(record);
    os::Status s;
    {
        auto file = os::File::open(scratch, os::Access::ReadWrite, os::Share::Exclusive,
                                   os::Disposition::CreateAlways);
        if (!file.ok()) return file.status();
        s = file.value().write(0, text.data(), text.size());
        if (s.ok()) s = file.value().flush();
    }
    if (s.ok()) s = os::replaceFile(scratch, recordPath(folder));
    if (s.ok()) return os::flushFolder(folder);
    if (os::fileExists(scratch)) (void)os::eraseFile(scratch);  // the record itself is unchanged
    return s;
}

os::Status eraseRecord(const std::string& folder) {
    std::string path = recordPath(folder);
    if (!os::fileExists(path)) return os::Status();
    os::Status s = os::eraseFile(path);
    if (!s.ok()) return s;
    return os::flushFolder(folder);
}

}  // namespace updater
