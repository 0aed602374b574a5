// The run's record after whole runs of the shipped program (copied into the
// installation's BIN folder, as it ships): a clean run, a run that leaves a
// company as it was (exit code 2) and one that stops on an error (exit code
// 1). Every count in the record is compared with the tables themselves, read
// before and after the run, and the run's JSON must say what the record says.
#include "updater/run_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "os/fs.h"
#include "os/process.h"
#include "updater/demo_installation.h"
#include "updater/installation_testutil.h"
#include "updater/migration_record.h"
#include "updater/recording_progress_testutil.h"
#include "updater/shown_path.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::dumpTable;
using testing::TableDump;
using testing::TempFolder;

constexpr long kRows = 240;
const char* const kTables[] = {"TDiaNew.Dbf", "TempDia.Dbf", "TDiaNic.dbf"};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- a small JSON reader, enough to check what the run wrote ----

struct JsonValue {
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = kNull;
    bool b = false;
    double n = 0;
    std::string s;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    const JsonValue& operator[](const std::string& key) const {
        static const JsonValue missing;
        auto it = members.find(key);
        return it == members.end() ? missing : it->second;
    }
    long num() const { return static_cast<long>(n); }
};

class JsonReader {
public:
    explicit JsonReader(std::string text) : t_(std::move(text)) {}
    // False when the text is not one well-formed JSON value.
    bool read(JsonValue& v) {
        bool ok = value(v);
        space();
        return ok && i_ == t_.size();
    }

private:
    void space() {
        while (i_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[i_]))) ++i_;
    }
    bool literal(const char* word) {
        size_t n = std::strlen(word);
        if (t_.compare(i_, n, word) != 0) return false;
        i_ += n;
        return true;
    }
    bool string(std::string& out) {
        if (t_[i_++] != '"') return false;
        while (i_ < t_.size() && t_[i_] != '"') {
            char c = t_[i_++];
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= t_.size()) return false;
            char e = t_[i_++];
            if (e == 'u') {
                if (i_ + 4 > t_.size()) return false;
                out += static_cast<char>(std::stoi(t_.substr(i_, 4), nullptr, 16));
                i_ += 4;
            } else if (e == 'n') {
                out += '\n';
            } else if (e == '"' || e == '\\' || e == '/') {
                out += e;
            } else {
                return false;
            }
        }
        return i_++ < t_.size();
    }
    template <class Item>
    bool list(char close, Item item) {
        ++i_;
        space();
        if (i_ < t_.size() && t_[i_] == close) return ++i_, true;
        while (true) {
            if (!item()) return false;
            space();
            if (i_ >= t_.size()) return false;
            char c = t_[i_++];
            if (c == close) return true;
            if (c != ',') return false;
        }
    }
    bool value(JsonValue& v) {
        space();
        if (i_ >= t_.size()) return false;
        char c = t_[i_];
        if (c == '{') {
            v.kind = JsonValue::kObject;
            return list('}', [&] {
                space();
                std::string key;
                if (i_ >= t_.size() || !string(key)) return false;
                space();
                if (i_ >= t_.size() || t_[i_++] != ':') return false;
                return value(v.members[key]);
            });
        }
        if (c == '[') {
            v.kind = JsonValue::kArray;
            return list(']', [&] {
                v.items.emplace_back();
                return value(v.items.back());
            });
        }
        if (c == '"') return v.kind = JsonValue::kString, string(v.s);
        if (literal("true")) return v.kind = JsonValue::kBool, v.b = true, true;
        if (literal("false")) return v.kind = JsonValue::kBool, true;
        if (literal("null")) return true;
        size_t end = i_;
        while (end < t_.size() && std::strchr("+-.0123456789eE", t_[end])) ++end;
        if (end == i_) return false;
        v.kind = JsonValue::kNumber;
        v.n = std::stod(t_.substr(i_, end - i_));
        i_ = end;
        return true;
    }
    std::string t_;
    size_t i_ = 0;
};

// ---- what the tables themselves say ----

struct TableCounts {
    long records = 0;  // before the run, deleted ones included
    long deleted = 0;  // before the run
    long written = 0;  // in the rebuilt table
    long marked = 0;   // rows of the rebuilt table with L340 set
};

long deletedIn(const TableDump& d) {
    long n = 0;
    for (const std::string& r : d.records) n += !r.empty() && r[0] == '*';
    return n;
}

// Visible rows with L340 set; 0 for a table without the field.
long markedIn(const TableDump& d) {
    bool hasL340 = false;
    for (const std::string& f : d.fields) hasL340 = hasL340 || f == "L340:L";
    if (!hasL340) return 0;
    long n = 0;
    for (size_t i = 0; i < d.records.size(); ++i)
        n += d.records[i][0] != '*' && d.value(i, "L340") == "T";
    return n;
}

// ---- the record as text ----

// The lines of the company block "Empresa <code> - ..." of the record.
std::vector<std::string> companyBlock(const std::string& record, const std::string& code) {
    std::vector<std::string> lines;
    std::istringstream in(record);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("Empresa ", 0) == 0 || line.rfind("Fin: ", 0) == 0)
            inside = line.rfind("Empresa " + code + " - ", 0) == 0;
        if (inside) lines.push_back(line);
    }
    return lines;
}

// The line of the block that begins with `prefix`, or "".
std::string lineOf(const std::vector<std::string>& block, const std::string& prefix) {
    for (const std::string& l : block)
        if (l.rfind(prefix, 0) == 0) return l;
    return "";
}

class RunRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        demo::makeDemo(root(), kRows);
        // Journals with no row marked yet: after the run, the rows with L340
        // set are exactly the rows the run marked.
        clearJournal("Emp0001", 101, kRows);
        clearJournal("Emp0002", 102, kRows / 2);
        fs::create_directories(root() + "/BIN");
        fs::copy_file(shippedProgram(), bin() + fs::path(shippedProgram()).filename().string());
    }

    std::string root() const { return tmp_.path(); }
    std::string bin() const { return root() + "/BIN/"; }
    std::string folder(const std::string& code) const { return demo::companyFolder(root(), code); }
    std::string journal(const char* emp) const { return root() + "/CONTA/" + emp + "/Diario.dbf"; }

    void clearJournal(const char* emp, uint32_t seed, long rows) {
        std::vector<demo::Row> all = demo::makeRows(rows, seed);
        for (demo::Row& r : all) r.l340 = false;
        fs::remove(journal(emp));
        demo::writeTable(journal(emp), demo::kJournalFields, all);
    }

    static std::string shippedProgram() {
        std::string self = os::programFileName().value();
        std::string dir = self.substr(0, self.find_last_of("/\\") + 1);
#ifdef _WIN32
        return dir + "updater.exe";
#else
        return dir + "updater";
#endif
    }

    // Counts of every table of `code` before the run.
    void countBefore(const std::string& code) {
        for (const char* t : kTables) {
            TableDump d = dumpTable(folder(code) + t);
            if (!d.error.empty()) continue;
            TableCounts& c = counts_[code][t];
            c.records = static_cast<long>(d.records.size());
            c.deleted = deletedIn(d);
        }
    }
    void countAfter(const std::string& code) {
        for (auto& [name, c] : counts_[code]) {
            TableDump d = dumpTable(folder(code) + name);
            ASSERT_EQ(d.error, "") << name;
            c.written = static_cast<long>(d.records.size());
            c.marked = markedIn(d);
        }
    }

    // Runs the copied program in console mode with --json; returns its exit code.
    int run() {
        const std::string program = bin() + fs::path(shippedProgram()).filename().string();
        std::vector<std::string> args = {"--console", root() + "\\BIN", "FA", "--json", jsonPath()};
#ifdef _WIN32
        auto p = os::Process::start(program, args);
        if (!p.ok()) return -1;
        auto code = p->wait();
        return code.ok() ? code.value() : -1;
#else
        std::string command = "LC_ALL=C.UTF-8 '" + program + "'";
        for (const std::string& a : args) command += " '" + a + "'";
        command += " >'" + root() + "/console.txt' 2>&1";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    }
    std::string jsonPath() const {
        return root() + "/run.json";
    }
    std::string record() const {
        return readFile(bin() + kRunRecordName);
    }
    JsonValue json() const {
        JsonValue v;
        EXPECT_TRUE(JsonReader(readFile(jsonPath())).read(v)) << readFile(jsonPath());
        return v;
    }
    static const JsonValue* company(const JsonValue& j, const std::string& code) {
        for (const JsonValue& c : j["companies"].items)
            if (c["code"].s == code) return &c;
        return nullptr;
    }

    // The record's lines and the JSON's members for each table of `code`
    // hold the tables' own counts.
    void expectTableCounts(const std::string& code, const JsonValue& j) {
        std::vector<std::string> block = companyBlock(record(), code);
        const JsonValue* jc = company(j, code);
        ASSERT_NE(jc, nullptr) << code;
        for (const auto& [name, c] : counts_[code]) {
            SCOPED_TRACE(code + " " + name);
            std::string line = lineOf(block, "  Tabla " + name + ": ");
            long read = -1, written = -1, left = -1, marked = -1;
            ASSERT_EQ(std::sscanf(line.c_str() + 10 + name.size(),
                                  "%ld registros le\xED"
                                  "dos, %ld escritos, %ld borrados "
                                  "omitidos, %ld marcados L340",
                                  &read, &written, &left, &marked),
                      4)
                << line;
            EXPECT_EQ(read, c.records);
            EXPECT_EQ(left, c.deleted);
            EXPECT_EQ(written, c.written);
            EXPECT_EQ(written, c.records - c.deleted);
            EXPECT_EQ(marked, c.marked);
            const JsonValue* jt = nullptr;
            for (const JsonValue& t : (*jc)["tables"].items)
                if (t["name"].s == name) jt = &t;
            ASSERT_NE(jt, nullptr);
            EXPECT_EQ((*jt)["records"].num(), read);
            EXPECT_EQ((*jt)["deleted"].num(), left);
            EXPECT_EQ((*jt)["written"].num(), written);
            EXPECT_EQ((*jt)["marked"].num(), marked);
        }
    }

    // A journal's line says as many marked rows as the journal has rows with
    // L340 set, and the JSON says the same.
    void expectJournalMarked(const std::string& code, const char* emp, const JsonValue& j) {
        SCOPED_TRACE(code + " " + emp);
        std::vector<std::string> block = companyBlock(record(), code);
        const std::string path = shownPath(root() + "/CONTA/" + emp + "/Diario");
        std::string line = lineOf(block, "  Diario ");
        for (const std::string& l : block)
            if (l.find(path + ": ") != std::string::npos) line = l;
        long marked = -1;
        ASSERT_EQ(std::sscanf(line.c_str() + line.find(": ") + 2, "%ld filas marcadas", &marked), 1)
            << line;
        const long inTable = markedIn(dumpTable(journal(emp)));
        EXPECT_GT(inTable, 0);
        EXPECT_EQ(marked, inTable);
        const JsonValue* jc = company(j, code);
        ASSERT_NE(jc, nullptr);
        bool found = false;
        for (const JsonValue& jj : (*jc)["journals"].items)
            if (jj["path"].s == path) {
                found = true;
                EXPECT_TRUE(jj["visited"].b);
                EXPECT_EQ(jj["marked"].num(), marked);
            }
        EXPECT_TRUE(found) << path;
    }

    TempFolder tmp_;
    std::map<std::string, std::map<std::string, TableCounts>> counts_;
};

const char* const kCodes[] = {"0 4", "001", "003", "005", "006"};  // in the register's order

TEST_F(RunRecordTest, ACleanRunRecordsEveryTableAndJournalAsTheTablesCountThem) {
    for (const char* code : kCodes) countBefore(code);
    ASSERT_EQ(run(), 0);
    for (const char* code : kCodes) countAfter(code);

    const std::string text = record();
    EXPECT_NE(text.find("\r\nC\xF3"
                        "digo de salida 0\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find('\n', 0), text.find("\r\n") + 1) << "lines end with CR LF";
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ASSERT_EQ(text[i - 1], '\r') << "a bare line feed at " << i;
        }
    EXPECT_NE(text.find("Instalaci\xF3n: " + shownPath(root())), std::string::npos);
    EXPECT_NE(text.find("Variante: FA\r\n"), std::string::npos);
    EXPECT_NE(text.find(std::string("versi\xF3n ") + kProgramVersion + " (consola)"),
              std::string::npos);
    EXPECT_NE(text.find("Comercial Pe\xF1"
                        "alara S.A."),
              std::string::npos)
        << "Windows-1252";

    const JsonValue j = json();
    EXPECT_EQ(j["exitCode"].num(), 0);
    EXPECT_EQ(j["variant"].s, "FA");
    EXPECT_EQ(j["root"].s, shownPath(root()));
    ASSERT_EQ(j["companies"].items.size(), std::size(kCodes));
    for (size_t i = 0; i < std::size(kCodes); ++i) {
        const std::string code = kCodes[i];
        const JsonValue& c = j["companies"].items[i];
        EXPECT_EQ(c["code"].s, code) << "in the run's order";
        EXPECT_EQ(c["outcome"].s, "migrate");
        EXPECT_EQ(c["folder"].s, shownPath(folder(code)));
        EXPECT_TRUE(c["filesLeft"].items.empty());
        EXPECT_GE(c["seconds"].n, 0.0);
        EXPECT_NE(lineOf(companyBlock(text, code), "Empresa " + code).find(": actualizada en "),
                  std::string::npos);
        expectTableCounts(code, j);
    }
    expectJournalMarked("001", "Emp0001", j);
    expectJournalMarked("001", "Emp0002", j);
    // 006 names a journal that is not there: skipped, and said why.
    std::string skipped = lineOf(companyBlock(text, "006"), "  Diario ");
    EXPECT_NE(skipped.find("omitido (no existe)"), std::string::npos) << skipped;

    // A second run appends its own record after the first.
    const size_t first = text.size();
    EXPECT_EQ(run(), 0);
    const std::string both = record();
    EXPECT_EQ(both.compare(0, first, text), 0);
    EXPECT_EQ(both.find("==== Actualizaci\xF3n del ", first), first);
}

// A stray _TDiaNic.dbf beside a live TDiaNic.dbf leaves company 001 as it
// was; the others are migrated and counted as in a clean run.
TEST_F(RunRecordTest, ALeftCompanyIsRecordedWithItsReasonAndNoTables) {
    fs::copy_file(folder("001") + "TDiaNic.dbf", folder("001") + "_TDiaNic.dbf");
    for (const char* code : {"0 4", "003"}) countBefore(code);
    ASSERT_EQ(run(), 2);
    for (const char* code : {"0 4", "003"}) countAfter(code);

    const JsonValue j = json();
    EXPECT_EQ(j["exitCode"].num(), 2);
    const JsonValue* left = company(j, "001");
    ASSERT_NE(left, nullptr);
    EXPECT_EQ((*left)["outcome"].s, "leave");
    EXPECT_TRUE((*left)["tables"].items.empty());
    EXPECT_TRUE((*left)["filesLeft"].items.empty()) << "nothing of it was touched";
    ASSERT_EQ((*left)["problems"].items.size(), 1u);
    const std::string why = (*left)["problems"].items[0].s;
    EXPECT_NE(why.find("_TDiaNic"), std::string::npos) << why;

    const std::vector<std::string> block = companyBlock(record(), "001");
    EXPECT_NE(block.at(0).find(": dejada como estaba en "), std::string::npos) << block[0];
    EXPECT_EQ(lineOf(block, "  Tabla "), "");
    EXPECT_NE(lineOf(block, "  ATENCI\xD3N: ").find("_TDiaNic"), std::string::npos);
    EXPECT_NE(record().find("\r\nC\xF3"
                            "digo de salida 2\r\n"),
              std::string::npos);
    expectTableCounts("0 4", j);
    expectTableCounts("003", j);
}

// A company whose key table is missing stops the run (the console's error
// dialog ends the program): the companies before it are in the record with
// their counts, the company in work with the backups it keeps, and nothing
// after it.
TEST_F(RunRecordTest, AStoppedRunRecordsTheCompaniesBeforeTheStopAndTheBackupsKept) {
    fs::remove(folder("003") + "Claves.dbf");
    for (const char* code : {"0 4", "001"}) countBefore(code);
    ASSERT_EQ(run(), 1);
    for (const char* code : {"0 4", "001"}) countAfter(code);

    const JsonValue j = json();
    EXPECT_EQ(j["exitCode"].num(), 1);
    ASSERT_EQ(j["companies"].items.size(), 3u) << "no company after the stop";
    expectTableCounts("0 4", j);
    expectTableCounts("001", j);
    const JsonValue* stopped = company(j, "003");
    ASSERT_NE(stopped, nullptr);
    EXPECT_EQ((*stopped)["outcome"].s, "stop");

    // The files it names are the backups on disk, every one of them (the
    // migration record beside them is the next run's, not the user's).
    std::vector<std::string> named, onDisk;
    for (const JsonValue& f : (*stopped)["filesLeft"].items) named.push_back(f.s);
    for (const auto& e : fs::directory_iterator(folder("003")))
        if (e.path().filename().string()[0] == '_' && e.path().filename() != kRecordName)
            onDisk.push_back(shownPath(folder("003") + e.path().filename().string()));
    std::sort(named.begin(), named.end());
    std::sort(onDisk.begin(), onDisk.end());
    EXPECT_FALSE(onDisk.empty());
    EXPECT_EQ(named, onDisk);
    EXPECT_NE((*stopped)["leftAdvice"].s.find("no las borre"), std::string::npos);

    const std::vector<std::string> block = companyBlock(record(), "003");
    EXPECT_NE(block.at(0).find(": detenida por un error en "), std::string::npos) << block[0];
    EXPECT_NE(lineOf(block, "  Ficheros que quedan:"), "");
    EXPECT_NE(lineOf(block, "  Qu\xE9 hacer: ").find("no las borre"), std::string::npos);
    for (const std::string& f : named) EXPECT_NE(lineOf(block, "    " + f), "") << f;
    EXPECT_TRUE(companyBlock(record(), "005").empty());
    EXPECT_NE(record().find("\r\nC\xF3"
                            "digo de salida 1\r\n"),
              std::string::npos);
#ifndef _WIN32
    // The console's error dialog names the missing table with one separator.
    const std::string console = readFile(root() + "/console.txt");
    const size_t described = console.find("Descripci\xC3\xB3n del error: ");
    ASSERT_NE(described, std::string::npos) << console;
    const std::string line = console.substr(described, console.find('\n', described) - described);
    EXPECT_NE(line.find(shownPath(folder("003") + "Claves.dbf")), std::string::npos) << line;
    EXPECT_EQ(line.find('\\'), std::string::npos) << line;
#endif
}

#ifndef _WIN32
// A record that cannot be appended (its name is taken by a folder) is said
// on the console and changes nothing else: the run still ends with 0.
TEST_F(RunRecordTest, ARecordThatCannotBeWrittenIsSaidAndKeepsTheExitCode) {
    fs::create_directories(bin() + kRunRecordName);
    ASSERT_EQ(run(), 0);
    const std::string console = readFile(root() + "/console.txt");
    EXPECT_NE(console.find("No se pudo a\xC3\xB1"
                           "adir el registro de la actualizaci\xC3\xB3n a " +
                           bin() + kRunRecordName),
              std::string::npos)
        << console;
    EXPECT_EQ(json()["exitCode"].num(), 0) << "the JSON is still written";
}
#endif

// A run that goes on after an error ("&Defecto" in the error dialog) stops
// after the company in work: it is recorded once, as stopped, with its
// backups, from the report the run made of it.
TEST_F(RunRecordTest, AnErrorAnsweredWithDefaultRecordsTheCompanyOnceAsStopped) {
    fs::remove(folder("003") + "Claves.dbf");
    struct Taker : RecordingProgress {
        RunRecord taken;
        void runDone(int exitCode, const std::vector<std::string>& problems) override {
            RecordingProgress::runDone(exitCode, problems);
            taken = takeRunRecord(exitCode);
        }
    } progress;
    EXPECT_EQ(testing::runInProcess(root(), progress, errors::DialogAnswer::Default), 1);
    const RunRecord& r = progress.taken;
    ASSERT_EQ(r.companies.size(), 3u);
    EXPECT_EQ(r.companies[2].report.code, "003");
    EXPECT_EQ(r.companies[2].outcome, Outcome::Stop);
    EXPECT_FALSE(r.companies[2].filesLeft.empty());
    for (const std::string& f : r.companies[2].filesLeft) EXPECT_TRUE(os::fileExists(f)) << f;
    EXPECT_EQ(r.companies[1].outcome, Outcome::Migrate);
    EXPECT_TRUE(r.companies[1].filesLeft.empty());
    EXPECT_EQ(r.exitCode, 1);
    std::string text = runRecordText(r);
    EXPECT_NE(text.find("Empresa 003 - "), std::string::npos);
    EXPECT_EQ(text.find("Empresa 003 - "), text.rfind("Empresa 003 - ")) << "recorded once";
}

TEST(ShownPathTest, OneSeparatorAsThePlatformWritesIt) {
#ifdef _WIN32
    EXPECT_EQ(shownPath("Z:/work/build/demo\\DBF004\\"), "Z:\\work\\build\\demo\\DBF004\\");
#else
    EXPECT_EQ(shownPath("/work/build/demo\\DBF004\\"), "/work/build/demo/DBF004/");
#endif
    EXPECT_EQ(shownPath(""), "");
    // Counts keep their slash in sentences on every platform.
    EXPECT_NE(shownPathsIn("copia 1/2 de /srv\\DBF001").find("copia 1/2 de "), std::string::npos);
}

}  // namespace
}  // namespace updater
