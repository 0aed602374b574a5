// Builds installations to migrate: the company register with its structural
// index, company folders with key tables and journal work tables in the old
// layout, the templates of the new layout and a linked accounting
// installation with its journals. Used by the demo tool, the tests and the
// benchmark; writes through the table engine directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace updater::demo {

// Field lists ("NAME,TYPE,LEN,DEC;") of the tables the builder writes.
extern const char* const kRegisterFields;    // Empresa
extern const char* const kKeyFields;         // Claves
extern const char* const kOldTDiaNewFields;  // TDiaNew before the update (has a memo)
extern const char* const kNewTDiaNewFields;  // the TDiaNew template: old fields + L340
extern const char* const kOldTempDiaFields;  // TempDia before the update
extern const char* const kNewTempDiaFields;  // the TempDia template: old + L340 + NUMFRA340
extern const char* const kOldTDiaNicFields;  // TDiaNic before: VIEJO has no namesake
extern const char* const kJournalFields;     // Diario with L340
extern const char* const kJournalNoL340Fields;

// One journal row: the fields the marking rule reads, plus some payload.
struct Row {
    long number = 0;  // NUMASIEN
    std::string contra;
    double factura = 0;
    double nfactick = 0;
    std::string documento;
    std::string serie;
    bool l340 = false;  // only for tables that have the field
    bool deleted = false;
    std::string notas;  // memo text (tables with NOTAS)
};

// Rows that cover every branch of the marking rule in a mixed order, about
// one in twenty deleted; the same seed gives the same rows.
class RowSource {
public:
    explicit RowSource(uint32_t seed) : state_(seed) {}
    Row next();

private:
    uint32_t random();
    uint32_t state_;
    long index_ = 0;
};

// The first `count` rows of RowSource(seed).
std::vector<Row> makeRows(long count, uint32_t seed);

struct KeyRecord {  // one record of Claves
    int ntipenlace = 0;
    std::string cpathconta;
    std::string ccodemp;
    std::string ccodemp2;
};

// Every call throws std::runtime_error naming the table when the engine fails.
void writeTable(const std::string& path, const char* fields, const std::vector<Row>& rows);
// The same with the first `count` rows of RowSource(seed), without holding them.
void writeTable(const std::string& path, const char* fields, long count, uint32_t seed);
void writeRegister(const std::string& root, const std::vector<std::vector<std::string>>& companies,
                   const std::vector<bool>& deleted);
void writeKeys(const std::string& companyFolder, const std::vector<KeyRecord>& records);
// The templates "TDiaNew.Dbf" (with its memo file and a structural index)
// and "TempDia.Dbf" in root + "/DBF/".
void writeTemplates(const std::string& root);
// A structural index tag NUMASIEN on the table.
void indexByNumber(const std::string& path);
// A second tag FECDEBE, DTOS(FECHA)+STR(DEBE,12,2), whose keys do not follow
// the record order: the month of FECHA cycles through nine values and DEBE
// through a thousand.
void indexByDateAndAmount(const std::string& path);

// The folder of a company code: blanks become "0".
std::string companyFolder(const std::string& root, const std::string& code);

// The demo installation under `root` (created; must not hold one already):
// five companies in the register (one deleted, one with a blank in its
// code), links to an accounting installation in root + "/CONTA/" with
// journals (one without L340, one missing), `rows` records in each TDiaNew
// and about two thirds as many in each TempDia, and one TDiaNic; then
// `branches` more companies ("101", "102"...), each with `rows` records in
// its TDiaNew and no accounting link, for a run long enough to watch.
void makeDemo(const std::string& root, long rows, int branches = 0);

}  // namespace updater::demo
