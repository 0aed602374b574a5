// Test support for the table layer: temp folders, the recording error
// handler, the fixture and small table builders.
#include "tables/tables_testutil.h"

#include <atomic>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

#include "os/clock.h"
#include "os/file.h"
#include "os/fs.h"
#include "os/path_parts.h"
#include "os/process.h"
#include "runtime/error.h"
#include "runtime/neterr.h"
#include "runtime/settings.h"
#include "tables/ads.h"
#include "tables/dbcmd.h"
#include "tables/wait.h"
#include "tables/workarea.h"

namespace tables::testing {

namespace {

ErrorRecorder* g_recorder = nullptr;

runtime::Value handle(const runtime::ObjectPtr& err) {
    RaisedError e;
    e.genCode = static_cast<int>(err->get("GenCode").numOr(0));
    e.subCode = static_cast<int>(err->get("SubCode").numOr(0));
    e.severity = static_cast<int>(err->get("Severity").numOr(0));
    e.subSystem = err->get("SubSystem").textOr();
    e.operation = err->get("Operation").textOr();
    e.fileName = err->get("FileName").textOr();
    e.description = err->get("Description").textOr();
    e.osCode = osCodeForEngineCode(ADSGETLASTERROR())
                   .value_or(static_cast<int>(err->get("OsCode").numOr(0)));
    err->set("CanDefault", true);
    bool openSilent = e.genCode == 21 && (e.osCode == 2 || e.osCode == 3 || e.osCode == 4 ||
                                          e.osCode == 5 || e.osCode == 32);
    bool createSilent = e.genCode == 20 && e.osCode >= 2 && e.osCode <= 5;
    if (openSilent || createSilent || e.genCode == 40) {
        e.silent = true;
        runtime::NETERR(true);
        if (e.genCode != 40) runtime::NERRORCODE(e.osCode);
    }
    if (g_recorder) g_recorder->errors.push_back(e);
    return runtime::Value(false);
}

}  // namespace

std::vector<double>& recordedWaits() {
    static std::vector<double> waits;
    return waits;
}

namespace {
void recordWait(double seconds) {
    recordedWaits().push_back(seconds);
}
}  // namespace

ErrorRecorder::ErrorRecorder() {
    previous_ = runtime::ERRORBLOCK(runtime::Block([](std::span<const runtime::Value> args) {
        if (args.empty() || !args[0].isObject()) return runtime::Value(false);
        return handle(args[0].object());
    }));
    g_recorder = this;
}

ErrorRecorder::~ErrorRecorder() {
    g_recorder = nullptr;
    runtime::ERRORBLOCK(previous_);
}

void TablesTest::SetUp() {
    static std::atomic<int> counter{0};
    dir_ = std::filesystem::temp_directory_path() /
           ("tables_test_" + std::to_string(os::processId()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    recorder_ = new ErrorRecorder();
    previousAlerts_ = runtime::setAlertUi(&alerts_);
    previousDialogs_ = setDialogUi(&dialogs_);
    recordedWaits().clear();
    setWaitFunction(recordWait);
    DBCLOSEALL();
    runtime::resetSettings();
    runtime::SET(runtime::Set::Deleted, runtime::Value(true));
    runtime::SET(runtime::Set::Exclusive, runtime::Value(true));
    resetRddRegistry();
    RDDREGISTER("ADS", kRddTable);
    RDDSETDEFAULT("ADS");
    ADSSETFILETYPE(kAdsCdx);
    runtime::NETERR(false);
    runtime::NERRORCODE(0);
}

void TablesTest::TearDown() {
    DBCLOSEALL();
    setWaitFunction(nullptr);
    setDialogUi(previousDialogs_);
    runtime::setAlertUi(previousAlerts_);
    delete recorder_;
    recorder_ = nullptr;
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::string TablesTest::path(const std::string& name) const {
    return (dir_ / name).string();
}

void TablesTest::createTable(const std::string& name, const std::vector<FieldInfo>& fields) {
    ASSERT_TRUE(DBCREATE(path(name), fields));
}

void TablesTest::createPeople(const std::string& name, int rows) {
    createTable(name, {{"NAME", 'C', 10, 0},
                       {"AGE", 'N', 3, 0},
                       {"ACTIVE", 'L', 1, 0},
                       {"BORN", 'D', 8, 0},
                       {"NOTE", 'M', 10, 0}});
    use(name);
    for (int i = 1; i <= rows; ++i) {
        DBAPPEND();
        FIELDPUT(1, runtime::Value("P" + std::to_string(i)));
        FIELDPUT(2, runtime::Value(i * 10));
        FIELDPUT(3, runtime::Value(i % 2 == 1));
    }
    DBCLOSEAREA();
}

void TablesTest::use(const std::string& name, bool shared) {
    DBUSEAREA(true, std::nullopt, path(name), name, shared, false);
    ASSERT_FALSE(NETERR()) << "open of " << name << " failed";
    ASSERT_TRUE(USED());
}

std::vector<int> TablesTest::genCodes() const {
    std::vector<int> codes;
    for (const RaisedError& e : recorder_->errors) codes.push_back(e.genCode);
    return codes;
}

std::string selfProgram() {
    auto p = os::programFileName();
    return p.ok() ? *p : std::string();
}

std::string tablesTestProgram() {
    const std::string self = selfProgram();
    const std::string dir(os::folderOf(self));
    const bool exe = self.size() > 4 && (self.ends_with(".exe") || self.ends_with(".EXE"));
    return dir + "tables_tests" + (exe ? ".exe" : "");
}

HeldTable::HeldTable(const std::string& table, const std::string& mode, uint32_t recNo,
                     const std::string& dir, const std::string& program)
    : ready_(dir + "/held.ready"), release_(dir + "/held.release") {
    auto p = os::Process::start(program,
                                {"--hold", table, mode, std::to_string(recNo), ready_, release_});
    if (!p.ok()) return;
    child_ = std::move(*p);
    uint64_t start = os::monotonicMs();
    while (!os::fileExists(ready_) && os::monotonicMs() - start < 30000) os::sleepMs(20);
}

HeldTable::~HeldTable() {
    auto f = os::File::open(release_, os::Access::ReadWrite, os::Share::Shared,
                            os::Disposition::CreateAlways);
    (void)f;
    if (child_.valid()) (void)child_.wait();
}

bool HeldTable::ready() const {
    return os::fileExists(ready_);
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void putFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

const std::vector<CorpusTable>& corpusTables() {
    static const std::vector<CorpusTable> all = {
        {"dbd-xbase", "rooms"},
        {"dbffile", "PYACFL"},
        {"dbffile", "WSPMST"},
        {"dbffile", "vfp9_30_memo"},
        {"go-dbase", "TEST"},
        {"go-dbase", "employees"},
        {"go-dbase", "expense details"},
        {"go-dbase", "expense reports"},
        {"infused-dbf", "calls"},
        {"infused-dbf", "contacts"},
        {"infused-dbf", "dbase_30"},
        {"infused-dbf", "dbase_31"},
        {"infused-dbf", "dbase_f5"},
        {"infused-dbf", "setup"},
        {"javadbf", "foxref_ref"},
        {"javadbf", "payments"},
        {"php-xbase", "Foxpro2"},
        {"php-xbase", "issue115"},
        {"php-xbase", "vfp"},
    };
    return all;
}

std::string corpusBase(const CorpusTable& t) {
    return std::string(TESTDATA_DIR) + "/corpus/" + t.dir + "/" + t.name;
}

std::string withExtension(const std::string& base, const char* lowerExt) {
    std::string upper(lowerExt);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& ext : {std::string(lowerExt), upper})
        if (std::filesystem::exists(base + ext)) return base + ext;
    return "";
}

std::vector<std::vector<std::string>> readCsv(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string s = ss.str();
    std::vector<std::vector<std::string>> rows(1);
    std::string cell;
    bool quoted = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (quoted) {
            if (c == '"' && i + 1 < s.size() && s[i + 1] == '"')
                cell += '"', ++i;
            else if (c == '"')
                quoted = false;
            else
                cell += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(cell);
            cell.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            rows.back().push_back(cell);
            cell.clear();
            rows.emplace_back();
        } else {
            cell += c;
        }
    }
    if (!cell.empty() || !rows.back().empty()) rows.back().push_back(cell);
    if (rows.back().empty()) rows.pop_back();
    return rows;
}

}  // namespace tables::testing
