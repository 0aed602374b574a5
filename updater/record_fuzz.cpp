// Fuzz target: the reader of a company's migration record. Whatever the
// bytes, it refuses them with a reason or accepts a record that names only
// the migration's own tables, each once, and that reads back the same from
// its own text; and it never reads outside the bytes it is given.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "updater/migration_record.h"

namespace {

void check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<std::pair<std::string, std::string>> known = {
        {"TDiaNew.Dbf", "TDiaNew.Dbf"},
        {"TempDia.Dbf", "TempDia.Dbf"},
        {"TDiaNic.dbf", "TempDia.dbf"}};
    std::string_view text(reinterpret_cast<const char*>(data), size);
    updater::MigrationRecord record;
    std::string why = updater::parseRecord(text, known, &record);
    if (!why.empty()) return 0;  // refused, and said why
    check(!record.tables.empty());
    for (size_t i = 0; i < record.tables.size(); ++i) {
        bool listed = false;
        for (const auto& k : known)
            listed |= record.tables[i].name == k.first && record.tables[i].templateName == k.second;
        check(listed);
        for (size_t j = 0; j < i; ++j) check(record.tables[j].name != record.tables[i].name);
    }
    // A later phase is recorded only after the earlier ones.
    check(!record.templatesIn || record.moved);
    check(!record.journalsMarked || record.templatesIn);
    for (const updater::RecordedTable& t : record.tables) check(!t.refilled || record.templatesIn);
    updater::MigrationRecord again;
    std::string text2 = updater::formatRecord(record);
    check(updater::parseRecord(text2, known, &again).empty());
    check(updater::formatRecord(again) == text2);
    return 0;
}
