// Writes demo and test installations through the table engine.
#include "updater/demo_installation.h"

#include <filesystem>
#include <stdexcept>

#include "engine/engine.h"

namespace updater::demo {

const char* const kRegisterFields = "CODEMP,C,3,0;CNOMBRE,C,40,0;";
const char* const kKeyFields = "NTIPENLACE,N,2,0;CPATHCONTA,C,200,0;CCODEMP,C,4,0;CCODEMP2,C,4,0;";
const char* const kOldTDiaNewFields =
    "NUMASIEN,N,8,0;FECHA,D;CUENTA,C,10,0;CONTRA,C,30,0;CONCEPTO,C,40,0;DEBE,N,12,2;"
    "FACTURA,N,8,0;NFACTICK,N,8,0;DOCUMENTO,C,10,0;SERIE,C,2,0;NOTAS,M;";
const char* const kNewTDiaNewFields =
    "NUMASIEN,N,8,0;FECHA,D;CUENTA,C,10,0;CONTRA,C,30,0;CONCEPTO,C,40,0;DEBE,N,12,2;"
    "FACTURA,N,8,0;NFACTICK,N,8,0;DOCUMENTO,C,10,0;SERIE,C,2,0;NOTAS,M;L340,L;";
const char* const kOldTempDiaFields =
    "NUMASIEN,N,8,0;CUENTA,C,10,0;CONTRA,C,30,0;DEBE,N,12,2;FACTURA,N,8,0;NFACTICK,N,8,0;"
    "DOCUMENTO,C,10,0;SERIE,C,2,0;";
const char* const kNewTempDiaFields =
    "NUMASIEN,N,8,0;CUENTA,C,10,0;CONTRA,C,30,0;DEBE,N,12,2;FACTURA,N,8,0;NFACTICK,N,8,0;"
    "DOCUMENTO,C,10,0;SERIE,C,2,0;L340,L;NUMFRA340,C,12,0;";
const char* const kOldTDiaNicFields =
    "NUMASIEN,N,8,0;VIEJO,C,10,0;CONTRA,C,30,0;FACTURA,N,8,0;SERIE,C,2,0;DOCUMENTO,C,10,0;";
const char* const kJournalFields =
    "NUMASIEN,N,8,0;FECHA,D;CUENTA,C,10,0;CONTRA,C,30,0;FACTURA,N,8,0;NFACTICK,N,8,0;"
    "DOCUMENTO,C,10,0;SERIE,C,2,0;L340,L;";
const char* const kJournalNoL340Fields =
    "NUMASIEN,N,8,0;FECHA,D;CUENTA,C,10,0;CONTRA,C,30,0;FACTURA,N,8,0;NFACTICK,N,8,0;"
    "DOCUMENTO,C,10,0;SERIE,C,2,0;";

namespace {

void check(const engine::Status& s, const std::string& what) {
    if (s.ok()) return;
    throw std::runtime_error(what + ": engine error " + std::to_string(s.code()) + " " +
                             s.message());
}

// An exclusive open; close() writes it out and reports a failure, the
// destructor only drops a table left open by an exception already on its way.
class Table {
public:
    explicit Table(const std::string& path) : path_(path) {
        check(engine::openTable(path, "", engine::kTypeCdx, engine::kOpenExclusive, &h_), path);
    }
    ~Table() {
        if (h_ != 0) (void)engine::closeTable(h_);
    }
    void close() {
        engine::Handle h = h_;
        h_ = 0;
        check(engine::closeTable(h), path_);
    }
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    int field(const char* name) const {
        int n = 0;
        return engine::fieldNumber(h_, name, &n).ok() ? n : 0;
    }
    void append() { check(engine::append(h_), path_); }
    void text(const char* name, const std::string& v) {
        if (int n = field(name)) check(engine::setString(h_, n, v), path_ + " " + name);
    }
    void number(const char* name, double v) {
        if (int n = field(name)) check(engine::setDouble(h_, n, v), path_ + " " + name);
    }
    void logical(const char* name, bool v) {
        if (int n = field(name)) check(engine::setLogical(h_, n, v), path_ + " " + name);
    }
    void date(const char* name, const std::string& v) {
        if (int n = field(name)) check(engine::setDate(h_, n, v), path_ + " " + name);
    }
    void erase() { check(engine::deleteRecord(h_), path_); }
    engine::Handle handle() const { return h_; }

private:
    std::string path_;
    engine::Handle h_ = 0;
};

const char* const kContras[] = {
    "4300001",        "",        "   ",        "REGULARIZACION 2009", "Regularizacion 2009",
    "  REGULARIZACI", "5720001", "REGULARIZAC"};
const double kFacturas[] = {0, 1, 250};
const double kTickets[] = {0, 15};
const char* const kDocumentos[] = {"", "F-0001", "  "};
const char* const kSeries[] = {"A", "B", "C", "R", "Z", "AB", "RZ", "", "D", "a", "AC", " R"};

template <class T, size_t N>
const T& pick(const T (&list)[N], uint32_t r) {
    return list[r % N];
}

void writeRow(Table& t, const Row& row) {
    t.append();
    t.number("NUMASIEN", row.number);
    t.date("FECHA", "20090" + std::to_string(1 + row.number % 9) + "15");
    t.text("CUENTA", "57" + std::to_string(row.number % 1000));
    t.text("CONTRA", row.contra);
    t.text("CONCEPTO", "Asiento " + std::to_string(row.number));
    t.number("DEBE", (row.number % 1000) * 1.25);
    t.number("FACTURA", row.factura);
    t.number("NFACTICK", row.nfactick);
    t.text("DOCUMENTO", row.documento);
    t.text("SERIE", row.serie);
    t.text("VIEJO", "v" + std::to_string(row.number));
    if (!row.notas.empty()) t.text("NOTAS", row.notas);
    if (row.l340) t.logical("L340", true);
    if (row.deleted) t.erase();
}

std::string withSlash(const std::string& folder) {
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

}  // namespace

uint32_t RowSource::random() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
}

Row RowSource::next() {
    Row r;
    long i = index_++;
    r.number = i + 1;
    // The first rows walk through every value of every list in step, so
    // that a small table still reaches each branch; then values mix.
    bool walk = i < 64;
    uint32_t k = walk ? static_cast<uint32_t>(i) : random();
    r.contra = pick(kContras, k);
    r.factura = pick(kFacturas, walk ? k / 3 : random());
    r.nfactick = pick(kTickets, walk ? k / 2 : random());
    r.documento = pick(kDocumentos, walk ? k / 5 : random());
    r.serie = pick(kSeries, walk ? k : random());
    r.l340 = random() % 10 == 0;
    r.deleted = random() % 20 == 0;
    if (i % 7 == 0) r.notas = "Nota del asiento " + std::to_string(r.number);
    return r;
}

std::vector<Row> makeRows(long count, uint32_t seed) {
    std::vector<Row> rows;
    rows.reserve(static_cast<size_t>(count));
    RowSource source(seed);
    for (long i = 0; i < count; ++i) rows.push_back(source.next());
    return rows;
}

void writeTable(const std::string& path, const char* fields, const std::vector<Row>& rows) {
    check(engine::createTable(path, fields, engine::kTypeCdx, 0), path);
    Table t(path);
    for (const Row& row : rows) writeRow(t, row);
    t.close();
}

void writeTable(const std::string& path, const char* fields, long count, uint32_t seed) {
    check(engine::createTable(path, fields, engine::kTypeCdx, 0), path);
    Table t(path);
    RowSource source(seed);
    for (long i = 0; i < count; ++i) writeRow(t, source.next());
    t.close();
}

void writeRegister(const std::string& root, const std::vector<std::vector<std::string>>& companies,
                   const std::vector<bool>& deleted) {
    std::string path = withSlash(root) + "DBF/Empresa.dbf";
    check(engine::createTable(path, kRegisterFields, engine::kTypeCdx, 0), path);
    Table t(path);
    for (size_t i = 0; i < companies.size(); ++i) {
        t.append();
        t.text("CODEMP", companies[i].at(0));
        t.text("CNOMBRE", companies[i].at(1));
        if (i < deleted.size() && deleted[i]) t.erase();
    }
    int order = 0;
    check(engine::createIndex(t.handle(), "", "CODEMP", "CODEMP", "", engine::kIndexCompound, {},
                              &order),
          path + " index");
    t.close();
}

void writeKeys(const std::string& companyFolderPath, const std::vector<KeyRecord>& records) {
    std::string path = withSlash(companyFolderPath) + "Claves.dbf";
    check(engine::createTable(path, kKeyFields, engine::kTypeCdx, 0), path);
    Table t(path);
    for (const KeyRecord& k : records) {
        t.append();
        t.number("NTIPENLACE", k.ntipenlace);
        t.text("CPATHCONTA", k.cpathconta);
        t.text("CCODEMP", k.ccodemp);
        t.text("CCODEMP2", k.ccodemp2);
    }
    t.close();
}

void indexByNumber(const std::string& path) {
    Table t(path);
    int order = 0;
    check(engine::createIndex(t.handle(), "", "NUMASIEN", "NUMASIEN", "", engine::kIndexCompound,
                              {}, &order),
          path + " index");
    t.close();
}

void indexByDateAndAmount(const std::string& path) {
    Table t(path);
    int order = 0;
    check(engine::createIndex(t.handle(), "", "FECDEBE", "DTOS(FECHA)+STR(DEBE,12,2)", "",
                              engine::kIndexCompound, {}, &order),
          path + " index");
    t.close();
}

void writeTemplates(const std::string& root) {
    std::string dbf = withSlash(root) + "DBF/";
    writeTable(dbf + "TDiaNew.Dbf", kNewTDiaNewFields, {});
    indexByNumber(dbf + "TDiaNew.Dbf");
    writeTable(dbf + "TempDia.Dbf", kNewTempDiaFields, {});
}

std::string companyFolder(const std::string& root, const std::string& code) {
    std::string folder = code;
    for (char& c : folder)
        if (c == ' ') c = '0';
    return withSlash(root) + "DBF" + folder + "/";
}

namespace {

void makeCompany(const std::string& root, const std::string& code, long rows, uint32_t seed,
                 const std::vector<KeyRecord>& keys) {
    std::string folder = companyFolder(root, code);
    std::filesystem::create_directories(folder);
    writeKeys(folder, keys);
    writeTable(folder + "TDiaNew.Dbf", kOldTDiaNewFields, makeRows(rows, seed));
    indexByNumber(folder + "TDiaNew.Dbf");
    writeTable(folder + "TempDia.Dbf", kOldTempDiaFields, makeRows(rows * 2 / 3, seed + 1));
}

}  // namespace

void makeDemo(const std::string& root, long rows, int branches) {
    std::string conta = withSlash(root) + "CONTA/";
    std::filesystem::create_directories(withSlash(root) + "DBF");
    writeTemplates(root);
    std::vector<std::vector<std::string>> companies = {{"003",
                                                        "Distribuciones \xD1"
                                                        "and\xFA S.L."},
                                                       {"001",
                                                        "Comercial Pe\xF1"
                                                        "alara S.A."},
                                                       {"0 4",
                                                        "Talleres O\xF1"
                                                        "ate"},
                                                       {"002", "Empresa dada de baja"},
                                                       {"005",
                                                        "Almacenes Zurbar\xE1"
                                                        "n"},
                                                       {"006",
                                                        "Exportaciones \xCD\xF1"
                                                        "igo"}};
    std::vector<bool> deleted = {false, false, false, true, false, false};
    for (int i = 1; i <= branches; ++i) {
        companies.push_back({std::to_string(100 + i), "Sucursal " + std::to_string(i)});
        deleted.push_back(false);
    }
    writeRegister(root, companies, deleted);
    for (const char* emp : {"Emp0001", "Emp0002", "Emp0003"}) {
        std::filesystem::create_directories(conta + emp);
    }
    writeTable(conta + "Emp0001/Diario.dbf", kJournalFields, makeRows(rows, 101));
    writeTable(conta + "Emp0002/Diario.dbf", kJournalFields, makeRows(rows / 2, 102));
    writeTable(conta + "Emp0003/Diario.dbf", kJournalNoL340Fields, makeRows(rows / 3, 103));

    makeCompany(root, "001", rows, 1, {{1, conta, "0001", "0002"}, {0, "", "", ""}});
    writeTable(companyFolder(root, "001") + "TDiaNic.dbf", kOldTDiaNicFields,
               makeRows(rows / 4, 9));
    makeCompany(root, "002", rows / 10, 2, {{1, conta, "0002", ""}});
    makeCompany(root, "003", rows, 3, {{1, conta, "0003", "0009"}});
    makeCompany(root, "0 4", rows / 2, 4, {{1, "", "0001", ""}});
    makeCompany(root, "005", rows / 2, 5, {{1, conta, "", "0002"}});
    makeCompany(root, "006", rows / 2, 6, {{1, conta, "0007", "0001"}});
    for (int i = 1; i <= branches; ++i)
        makeCompany(root, std::to_string(100 + i), rows, 100 + static_cast<uint32_t>(i),
                    {{0, "", "", ""}});
}

}  // namespace updater::demo
