// Dumps and snapshots of installations for the tests.
#include "updater/installation_testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <fstream>
#include <memory>
#include <sstream>

#include "engine/engine.h"
#include "errors/error_handler.h"
#include "errors/scripted_dialog.h"
#include "os/fs.h"
#include "os/process.h"
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "tables/workarea.h"
#include "updater/l340_rule.h"
#include "updater/run.h"
#include "updater/run_state.h"

namespace updater::testing {
namespace {

namespace fs = std::filesystem;

struct RowView : L340Row {
    explicit RowView(const demo::Row& r) : row(r) {}
    const demo::Row& row;
    bool hasL340() override { return true; }
    std::string_view contra() override { return row.contra; }
    bool facturaZero() override { return row.factura == 0; }
    bool nfactickZero() override { return row.nfactick == 0; }
    bool documentoEmpty() override { return runtime::emptyText(row.documento); }
    std::string_view serie() override { return row.serie; }
};

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Keeps the first failure of a reading call in *error.
void note(const engine::Status& s, std::string* error) {
    if (!s.ok() && s != engine::kAtEof && error->empty()) error->assign(s.message());
}

std::string recordText(engine::Handle h, int fieldCount, const std::vector<char>& types,
                       std::string* error) {
    bool deleted = false;
    note(engine::isDeleted(h, &deleted), error);
    std::string text = deleted ? "*" : " ";
    // Values as the program reads them, so that a blank number equals 0 and
    // a blank logical equals false (a table refilled twice holds the latter).
    for (int f = 1; f <= fieldCount; ++f) {
        std::string v;
        switch (types[static_cast<size_t>(f - 1)]) {
            case 'M':
                note(engine::getMemo(h, f, &v), error);
                break;
            case 'L': {
                bool b = false;
                note(engine::getLogical(h, f, &b), error);
                v = b ? "T" : "F";
                break;
            }
            case 'N':
            case 'F': {
                double d = 0;
                note(engine::getDouble(h, f, &d), error);
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.4f", d);
                v = buf;
                break;
            }
            default:
                note(engine::getString(h, f, &v), error);
        }
        text += v;
        text += '|';
    }
    return text;
}

void readOrder(engine::Handle h, TableDump& d) {
    int orders = 0;
    if (!engine::orderCount(h, &orders).ok() || orders == 0) return;
    note(engine::setOrder(h, 1), &d.error);
    note(engine::keyCount(h, &d.keyCount), &d.error);
    note(engine::goTop(h), &d.error);
    while (d.error.empty()) {
        bool eof = true;
        note(engine::atEof(h, &eof), &d.error);
        if (eof) break;
        uint32_t rec = 0;
        note(engine::recordNumber(h, &rec), &d.error);
        d.keyOrder.push_back(rec);
        if (!engine::skip(h, 1).ok()) break;
    }
}

}  // namespace

std::string TableDump::value(size_t index, const std::string& field) const {
    std::string rec = records.at(index).substr(1);
    for (const std::string& f : fields) {
        size_t bar = rec.find('|');
        if (f.substr(0, f.find(':')) == field) return rec.substr(0, bar);
        rec = rec.substr(bar + 1);
    }
    ADD_FAILURE() << "no field " << field;
    return "";
}

TableDump dumpTable(const std::string& path) {
    TableDump d;
    engine::Handle h = 0;
    engine::Status r = engine::openTable(path, "", engine::kTypeCdx, engine::kOpenExclusive, &h);
    if (!r.ok()) {
        d.error = "open " + std::to_string(r.code());
        return d;
    }
    int n = 0;
    note(engine::fieldCount(h, &n), &d.error);
    std::vector<char> types;
    for (int f = 1; f <= n; ++f) {
        std::string name;
        char type = 'C';
        note(engine::fieldName(h, f, &name), &d.error);
        note(engine::fieldType(h, f, &type), &d.error);
        d.fields.push_back(name + ":" + type);
        types.push_back(type);
    }
    uint32_t count = 0;
    note(engine::recordCount(h, &count), &d.error);
    for (uint32_t rec = 1; rec <= count; ++rec) {
        note(engine::gotoRecord(h, rec), &d.error);
        d.records.push_back(recordText(h, n, types, &d.error));
    }
    readOrder(h, d);
    note(engine::closeTable(h), &d.error);
    return d;
}

std::map<std::string, TableDump> snapshot(const std::string& root) {
    std::map<std::string, TableDump> all;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file() || lower(e.path().extension().string()) != ".dbf") continue;
        all[lower(fs::relative(e.path(), root).generic_string())] = dumpTable(e.path().string());
    }
    return all;
}

std::map<std::string, std::string> fileBytes(const std::string& root, bool tableDates) {
    std::map<std::string, std::string> all;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        std::string content = bytes.str();
        const std::string name = lower(fs::relative(e.path(), root).generic_string());
        if (!tableDates && name.ends_with(".dbf") && content.size() >= 4)
            content.replace(1, 3, 3, '\0');
        all[name] = content;
    }
    return all;
}

std::vector<std::string> fileList(const std::string& root) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            names.push_back(lower(fs::relative(e.path(), root).generic_string()));
    std::sort(names.begin(), names.end());
    return names;
}

void makeCompanySkeleton(const std::string& root) {
    fs::create_directories(root + "/DBF");
    demo::writeTemplates(root);
    demo::writeRegister(root, {{"001", "Uno"}}, {});
    std::string folder = demo::companyFolder(root, "001");
    fs::create_directories(folder);
    demo::writeKeys(folder, {{0, "", "", ""}});
}

int runInProcess(const std::string& root, Progress& progress, errors::DialogAnswer answer) {
    return runInProcess(root, progress, std::make_shared<errors::ScriptedDialog>(answer));
}

int runInProcess(const std::string& root, Progress& progress,
                 std::shared_ptr<errors::ErrorDialog> dialog) {
    resetRunState();
    errors::setErrorDialog(std::move(dialog));
    errors::ERRORSYS();
    int code = 0;
    try {
        MAIN(root + "\\BIN", "FA", progress);
        code = runState().exitCode;
    } catch (const runtime::ProgramExit& e) {
        code = e.code;
    }
    // What a program end leaves open is closed as the engine's shutdown
    // does it: without raising (a failure there would end the program again).
    tables::dropAllAreas();
    resetRunState();
    return code;
}

std::vector<std::string> leftoverBackups(const std::string& root) {
    std::vector<std::string> found;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.path().filename().string().rfind('_', 0) == 0)
            found.push_back(fs::relative(e.path(), root).generic_string());
    std::sort(found.begin(), found.end());
    return found;
}

bool ruleHolds(const demo::Row& row) {
    RowView view(row);
    return L340Holds(view);
}

void recodeBehindRegisterIndex(const std::string& root, uint32_t recNo, const std::string& code) {
    engine::Handle h = 0;
    ASSERT_EQ(engine::openTable(root + "/DBF/Empresa.dbf", "", engine::kTypeCdx,
                                engine::kOpenExclusive, &h),
              engine::kOk);
    ASSERT_EQ(engine::closeIndexes(h), engine::kOk);
    ASSERT_EQ(engine::gotoRecord(h, recNo), engine::kOk);
    ASSERT_EQ(engine::setString(h, 1, code), engine::kOk);
    ASSERT_EQ(engine::closeTable(h), engine::kOk);
}

bool mentions(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

std::string memoryFolder() {
#ifdef _WIN32
    const char* shm = "Z:\\dev\\shm";  // the host's folder, as Wine shows it
#else
    const char* shm = "/dev/shm";
#endif
    std::error_code ec;
    return fs::is_directory(shm, ec) ? std::string(shm) : fs::temp_directory_path().string();
}

TempFolder::TempFolder(const std::string& tag)
    : TempFolder(tag, fs::temp_directory_path().string()) {}

TempFolder::TempFolder(const std::string& tag, const std::string& base) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "updater_" + std::to_string(os::processId()) + "_" +
                       (info ? std::string(info->name()) : std::string("suite")) + tag;
    path_ = (fs::path(base) / name).string();
    fs::remove_all(path_);
    fs::create_directories(path_);
}

void removeAll(const std::string& root) {
    std::error_code ec;
    // Windows refuses to erase a read-only file: tests that make one clear it first.
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
         it.increment(ec))
        if (os::isReadOnly(it->path().string())) (void)os::setReadOnly(it->path().string(), false);
    fs::remove_all(root, ec);
}

TempFolder::~TempFolder() {
    removeAll(path_);
}

}  // namespace updater::testing
