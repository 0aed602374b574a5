// The check of an installation: it changes nothing, not even a timestamp;
// and on each case a run leaves a company as it is or stops on, it names the
// case and predicts the exit code the following real run then ends with.
#include "updater/installation_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "os/fault.h"
#include "os/file.h"
#include "os/fs.h"
#include "updater/check_report.h"
#include "updater/demo_installation.h"
#include "updater/installation_testutil.h"
#include "updater/migration_record.h"
#include "updater/recording_progress_testutil.h"

namespace updater {
namespace {

namespace fs = std::filesystem;
using testing::fileBytes;
using testing::mentions;
using testing::runInProcess;
using testing::TempFolder;

// Every file and folder under root with its bytes and its last write time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> stamped(const std::string& root) {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> all;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::string bytes;
        if (e.is_regular_file()) {
            std::ifstream in(e.path(), std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        all[e.path().string()] = {bytes, fs::last_write_time(e.path())};
    }
    return all;
}

void overwrite(const std::string& path, uint64_t offset, const std::string& bytes) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(offset));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Writes `bytes` at `fieldOffset` of every record of the table at `path`.
void overwriteField(const std::string& path, uint64_t fieldOffset, const std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    unsigned char h[12] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    uint32_t count = h[4] | h[5] << 8 | h[6] << 16 | uint32_t(h[7]) << 24;
    uint64_t headerBytes = h[8] | h[9] << 8, recordBytes = h[10] | h[11] << 8;
    in.close();
    for (uint32_t r = 0; r < count; ++r)
        overwrite(path, headerBytes + r * recordBytes + fieldOffset, bytes);
}

// What an interrupted run leaves in a company: the table's set moved to its
// backup names and the template in its place.
void interrupt(const std::string& root, const std::string& folder, const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    for (const char* ext : {".fpt", ".cdx"})
        if (fs::exists(folder + base + ext))
            fs::rename(folder + base + ext, folder + "_" + base + ext);
    fs::rename(folder + name, folder + "_" + name);
    fs::copy_file(root + "/DBF/" + name, folder + name);
}

class InstallationCheckTest : public ::testing::Test {
public:
    void SetUp() override {
        fs::create_directories(root() + "/DBF");
        demo::writeTemplates(root());
        demo::writeRegister(root(), {{"001", "Uno"}, {"002", "Dos"}}, {});
        for (const char* code : {"001", "002"}) {
            std::string folder = demo::companyFolder(root(), code);
            fs::create_directories(folder);
            demo::writeKeys(folder, {{0, "", "", ""}});
            demo::writeTable(folder + "TDiaNew.Dbf", demo::kOldTDiaNewFields, rows_);
            demo::indexByNumber(folder + "TDiaNew.Dbf");
            demo::writeTable(folder + "TempDia.Dbf", demo::kOldTempDiaFields, rows_);
        }
        demo::writeTable(folder() + "TDiaNic.dbf", demo::kOldTDiaNicFields, rows_);
    }
    std::string root() const { return tmp_.path(); }
    std::string folder(const char* code = "001") const { return demo::companyFolder(root(), code); }

    // The check predicts `code` and names `why` for company 001; then the run
    // ends with the same code. When the check says a company is left or not
    // reached, the run leaves its files byte for byte.
    InstallationCheck expectRunAsChecked(int code, const std::string& why) {
        InstallationCheck check = checkInstallation(root());
        EXPECT_EQ(check.exitCode, code) << formatCheck(check);
        const CompanyCheck& first = check.companies.at(0);
        std::vector<std::string> named = first.leaves;
        named.insert(named.end(), first.stops.begin(), first.stops.end());
        named.insert(named.end(), first.notes.begin(), first.notes.end());
        for (const JournalCheck& j : first.journals) named.push_back(j.path + ": " + j.why);
        if (why.empty())
            EXPECT_TRUE(first.leaves.empty() && first.stops.empty()) << formatCheck(check);
        else
            EXPECT_TRUE(mentions(named, why)) << "the check does not name " << why << "\n"
                                              << formatCheck(check);
        std::map<std::string, std::string> before[2] = {fileBytes(folder("001")),
                                                        fileBytes(folder("002"))};
        RecordingProgress progress;
        EXPECT_EQ(runInProcess(root(), progress), code);
        runSummary_ = progress.summary;
        for (size_t i = 0; i < check.companies.size(); ++i) {
            Outcome o = check.companies[i].outcome;
            if (o == Outcome::Leave || o == Outcome::NotReached) {
                EXPECT_TRUE(fileBytes(folder(i == 0 ? "001" : "002")) == before[i])
                    << "company " << i + 1;
            }
        }
        return check;
    }

    // One installation made afresh per case, each checked and then run.
    struct Case {
        const char* name;
        void (*make)(InstallationCheckTest&);
        const char* why;
    };
    void expectEachRunAsChecked(const std::vector<Case>& cases, int code, Outcome first,
                                Outcome second) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            testing::removeAll(root());
            SetUp();
            c.make(*this);
            InstallationCheck check = expectRunAsChecked(code, c.why);
            EXPECT_EQ(check.companies.at(0).outcome, first);
            EXPECT_EQ(check.companies.at(1).outcome, second);
        }
    }

    TempFolder tmp_;
    std::vector<std::string> runSummary_;  // what the last run's end listed
    std::vector<demo::Row> rows_ = demo::makeRows(40, 7);
};

TEST_F(InstallationCheckTest, SoundInstallationMigratesWithExitZero) {
    InstallationCheck check = expectRunAsChecked(0, "");
    ASSERT_EQ(check.companies.size(), 2u);
    const TableCheck& t = check.companies[0].tables.at(0);
    EXPECT_EQ(t.name, "TDiaNew.Dbf");
    EXPECT_EQ(t.action, "migrate");
    EXPECT_EQ(t.records, 40);
    size_t deleted = 0;
    for (const demo::Row& r : rows_) deleted += r.deleted;
    EXPECT_EQ(t.deleted, static_cast<long>(deleted));
    EXPECT_TRUE(t.memo && t.index);
    EXPECT_EQ(check.companies[0].tables.at(2).action, "migrate");  // TDiaNic
    EXPECT_EQ(check.companies[1].tables.at(2).source, "");
    EXPECT_GT(check.peakBytes, 0u);
    EXPECT_EQ(check.companies[0].linkNote, "sin enlace contable que marcar");
}

// The cases the run leaves a company as it is: exit code 2, the other
// company migrated.
TEST_F(InstallationCheckTest, CasesLeftAsTheyAre) {
    expectEachRunAsChecked(
        {
            {"backup name taken",
             [](InstallationCheckTest& t) { fs::create_directories(t.folder() + "_TempDia.Dbf"); },
             "_TempDia.Dbf est\xE1 ocupado por una carpeta"},
            {"old layout beside old backup",
             [](InstallationCheckTest& t) {
                 demo::writeTable(t.folder() + "_TDiaNew.Dbf", demo::kOldTDiaNewFields,
                                  demo::makeRows(5, 3));
             },
             "estructura anterior"},
            {"stray TDiaNic backup",
             [](InstallationCheckTest& t) {
                 demo::writeTable(t.folder() + "_TDiaNic.dbf", demo::kOldTDiaNicFields,
                                  demo::makeRows(5, 3));
             },
             "_TDiaNic.dbf sin una actualizaci\xF3n interrumpida"},
            {"damaged table",
             [](InstallationCheckTest& t) { overwrite(t.folder() + "TempDia.Dbf", 8, "\xFF\xFF"); },
             "TempDia.Dbf est\xE1 da\xF1"
             "ada"},
            {"records past the header's count",
             [](InstallationCheckTest& t) {
                 overwrite(t.folder() + "TempDia.Dbf", 4, std::string("\x1E\0\0\0", 4));
             },
             "10 registros m\xE1s"},
            {"read-only memo",
             [](InstallationCheckTest& t) {
                 ASSERT_TRUE(os::setReadOnly(t.folder() + "TDiaNew.fpt", true).ok());
             },
             "TDiaNew.fpt es de solo lectura"},
#ifndef _WIN32
            {"names that differ only in case",
             [](InstallationCheckTest& t) {
                 fs::copy_file(t.folder() + "TempDia.Dbf", t.folder() + "TEMPDIA.DBF");
             },
             "may\xFAsculas"},
#endif
        },
        2, Outcome::Leave, Outcome::Migrate);
}

TEST_F(InstallationCheckTest, UnsafeCompanyCode) {
    fs::remove(root() + "/DBF/Empresa.cdx");
    // ".." sorts before "002": the run meets the unsafe code first.
    demo::writeRegister(root(), {{"..\\", "Peligro"}, {"002", "Dos"}}, {});
    expectRunAsChecked(2, "\"..\\\"");
}

// A table another program has open: its move would be refused.
TEST_F(InstallationCheckTest, TableHeldByAnotherProgram) {
    auto held = os::File::open(folder() + "TempDia.Dbf", os::Access::Read, os::Share::Shared,
                               os::Disposition::OpenExisting);
    ASSERT_TRUE(held.ok());
    expectRunAsChecked(2, "TempDia.Dbf est\xE1 en uso");
}

// The cases the run stops on: exit code 1, the second company not reached.
TEST_F(InstallationCheckTest, TemplateMissing) {
    fs::remove(root() + "/DBF/TempDia.Dbf");
    InstallationCheck check = expectRunAsChecked(1, "la plantilla TempDia.Dbf");
    EXPECT_EQ(check.companies[0].outcome, Outcome::Stop);
    EXPECT_EQ(check.companies[1].outcome, Outcome::NotReached);
    EXPECT_TRUE(fileBytes(folder()).count("tdianew.dbf"));
}

TEST_F(InstallationCheckTest, TemplateCannotHoldTheValues) {
    // CONTRA three characters wide: the values of 40 do not fit.
    std::string narrow =
        "NUMASIEN,N,8,0;CUENTA,C,10,0;CONTRA,C,3,0;DEBE,N,12,2;FACTURA,N,8,0;"
        "NFACTICK,N,8,0;DOCUMENTO,C,10,0;SERIE,C,2,0;L340,L;NUMFRA340,C,12,0;";
    demo::writeTable(root() + "/DBF/TempDia.Dbf", narrow.c_str(), {});
    InstallationCheck check = expectRunAsChecked(1, "no cabe en CONTRA C(3)");
    EXPECT_EQ(check.companies[1].outcome, Outcome::NotReached);
}

// TDiaNic is rebuilt by field name: a value its namesake in the template
// cannot hold stops the run instead of being cut.
TEST_F(InstallationCheckTest, TDiaNicValueWiderThanItsTemplateField) {
    demo::Row wide;
    wide.number = 1;
    wide.contra = std::string(40, 'X');
    demo::writeTable(folder() + "TDiaNic.dbf", "NUMASIEN,N,8,0;CONTRA,C,60,0;", {wide});
    InstallationCheck check = expectRunAsChecked(1, "TDiaNic.dbf no cabe en CONTRA C(30)");
    EXPECT_EQ(check.companies[1].outcome, Outcome::NotReached);
    EXPECT_EQ(testing::dumpTable(folder() + "_TDiaNic.dbf").records.size(), 1u);
}

TEST_F(InstallationCheckTest, TemplateFieldOfAnotherType) {
    std::string numeric =
        "NUMASIEN,N,8,0;CUENTA,N,10,0;CONTRA,C,30,0;DEBE,N,12,2;FACTURA,N,8,0;"
        "NFACTICK,N,8,0;DOCUMENTO,C,10,0;SERIE,C,2,0;L340,L;NUMFRA340,C,12,0;";
    demo::writeTable(root() + "/DBF/TempDia.Dbf", numeric.c_str(), {});
    expectRunAsChecked(1, "no cabe en CUENTA N(10)");
}

TEST_F(InstallationCheckTest, DamagedMemoOrIndex) {
    expectEachRunAsChecked(
        {
            {"memo file missing",
             [](InstallationCheckTest& t) { fs::remove(t.folder() + "TDiaNew.fpt"); },
             "TDiaNew.Dbf no se puede abrir"},
            // NOTAS, after the deletion flag and 136 bytes of other fields:
            // every record's memo block lies far past the end of the memo file.
            {"memo block past the memo file",
             [](InstallationCheckTest& t) {
                 overwriteField(t.folder() + "TDiaNew.Dbf", 137, "    999999");
             },
             "no se puede leer (memo da\xF1"},
            {"index header damaged",
             [](InstallationCheckTest& t) {
                 overwrite(t.folder() + "TDiaNew.cdx", 0, std::string(16, '\xFF'));
             },
             "TDiaNew.Dbf no se puede abrir"},
        },
        1, Outcome::Stop, Outcome::NotReached);
}

TEST_F(InstallationCheckTest, KeyTableMissing) {
    fs::remove(folder() + "Claves.dbf");
    expectRunAsChecked(1, "Claves no se puede abrir");
}

// A linked journal that is missing or that another program holds is
// skipped without a word by the run (exit code 0); the check names it.
TEST_F(InstallationCheckTest, LinkedJournalMissingOrInUse) {
    std::string conta = root() + "/CONTA/";
    fs::create_directories(conta + "Emp0001");
    demo::writeTable(conta + "Emp0001/Diario.dbf", demo::kJournalFields, demo::makeRows(10, 5));
    demo::writeKeys(folder(), {{1, conta, "0001", "0002"}});
    InstallationCheck check = expectRunAsChecked(0, "Emp0002\\Diario: no existe");
    EXPECT_EQ(check.companies[0].journals.at(0).state, "mark");
    auto held = os::File::open(conta + "Emp0001/Diario.dbf", os::Access::Read, os::Share::Shared,
                               os::Disposition::OpenExisting);
    ASSERT_TRUE(held.ok());
    // A held journal is not marked: the company is migrated all the same,
    // and the run ends with code 2 and a line saying so, as the check says.
    check = expectRunAsChecked(2, "Emp0001\\Diario: en uso por otro programa");
    EXPECT_EQ(check.companies[0].journals.size(), 1u);  // the second is not tried
    EXPECT_EQ(check.companies[0].outcome, Outcome::Migrate);
    ASSERT_EQ(check.summary.size(), 1u) << formatCheck(check);
    EXPECT_TRUE(mentions(check.summary, "sus filas no se han marcado")) << formatCheck(check);
    EXPECT_EQ(runSummary_, check.summary);
}

// An interrupted company is resumed from its backups.
TEST_F(InstallationCheckTest, InterruptedCompanyResumes) {
    interrupt(root(), folder(), "TDiaNew.Dbf");
    InstallationCheck check = expectRunAsChecked(0, "");
    EXPECT_TRUE(check.companies[0].interrupted);
    EXPECT_EQ(check.companies[0].tables[0].action, "resume");
    EXPECT_EQ(check.companies[0].tables[0].source, "_TDiaNew.Dbf");
    EXPECT_EQ(check.companies[0].tables[0].records, 40);
    EXPECT_EQ(check.companies[0].tables[1].action, "migrate");
}

// A run that could not erase a backup leaves the migration record: the
// check reads it, says the tables are refilled and only the backups go,
// and names a backup still held; the run then does exactly that.
TEST_F(InstallationCheckTest, RecordOfAnEarlierRunIsFollowed) {
    {
        HoldingProgress holding("comprobando TDiaNic", folder() + "_TempDia.Dbf");
        ASSERT_EQ(runInProcess(root(), holding), 2);
        ASSERT_TRUE(fs::exists(folder() + kRecordName));
        InstallationCheck held = checkInstallation(root());
        EXPECT_EQ(held.exitCode, 2) << formatCheck(held);
        EXPECT_TRUE(mentions(held.companies[0].filesLeft, "_TempDia.Dbf")) << formatCheck(held);
    }
    InstallationCheck check = expectRunAsChecked(0, "");
    EXPECT_NE(check.companies[0].record.find("solo se borran"), std::string::npos)
        << formatCheck(check);
    for (const TableCheck& t : check.companies[0].tables) EXPECT_EQ(t.action, "erase") << t.name;
    EXPECT_NE(formatCheck(check).find(kRecordName), std::string::npos);
    EXPECT_FALSE(fs::exists(folder() + kRecordName));
}

// The register's index is damaged, or no longer matches its records: the
// run stops before any company, and so the check says.
TEST_F(InstallationCheckTest, DamagedOrStaleRegisterIndex) {
    for (int stale = 0; stale < 2; ++stale) {
        SCOPED_TRACE(stale ? "stale" : "damaged");
        fs::remove_all(root());
        SetUp();
        if (stale) {
            testing::recodeBehindRegisterIndex(root(), 2, "000");
        } else {
            overwrite(root() + "/DBF/Empresa.cdx", 0, std::string(16, '\xFF'));
        }
        InstallationCheck check = checkInstallation(root());
        EXPECT_EQ(check.exitCode, 1) << formatCheck(check);
        EXPECT_TRUE(mentions(check.summary, "registro de empresas")) << formatCheck(check);
        auto before = fileBytes(root());
        RecordingProgress progress;
        EXPECT_EQ(runInProcess(root(), progress), 1);
        EXPECT_TRUE(fileBytes(root()) == before);
    }
}

// The check writes nothing, whatever the companies hold: the demo
// installation with an interrupted company, a damaged one, one with a
// missing memo file and a stray backup; every file keeps its bytes and its
// time of last write.
TEST(InstallationCheckWrites, Nothing) {
    TempFolder tmp;
    std::string root = tmp.path() + "/inst";
    demo::makeDemo(root, 40);
    std::string f001 = demo::companyFolder(root, "001"), f003 = demo::companyFolder(root, "003");
    interrupt(root, f001, "TDiaNew.Dbf");
    overwrite(f003 + "TempDia.Dbf", 8, "\xFF\xFF");
    fs::remove(demo::companyFolder(root, "005") + "TDiaNew.fpt");
    demo::writeTable(demo::companyFolder(root, "006") + "_TDiaNic.dbf", demo::kOldTDiaNicFields,
                     {});
    auto before = stamped(root);
    std::string out = tmp.path() + "/check.txt", json = tmp.path() + "/check.json";
    std::FILE* text = std::fopen(out.c_str(), "w");
    ASSERT_NE(text, nullptr);
    uint64_t writes = os::writeCallCount(), writeOpens = os::writeOpenCount();
    int code = runCheck(root + "\\BIN", json, text, true);
    std::fclose(text);
    EXPECT_EQ(code, 1);  // company 005 cannot be opened without its memo file
    EXPECT_TRUE(stamped(root) == before);
    // No file of the installation was opened for writing, nor changed.
    EXPECT_EQ(os::writeOpenCount(), writeOpens);
    EXPECT_EQ(os::writeCallCount(), writes);
    auto written = fileBytes(tmp.path());
    EXPECT_NE(written.at("check.txt").find("Empresa 001"), std::string::npos);
    EXPECT_EQ(written.at("check.json").find("{\"root\":"), 0u);
}

// A JSON file that cannot be written is said before any report, and the
// check ends with 1 without looking further.
TEST(CheckJsonTarget, UnwritableIsSaidFirst) {
    TempFolder tmp;
    std::string root = tmp.path() + "/inst";
    demo::makeDemo(root, 10);
    std::string out = tmp.path() + "/check.txt";
    std::FILE* text = std::fopen(out.c_str(), "w");
    ASSERT_NE(text, nullptr);
    int code = runCheck(root + "\\BIN", tmp.path() + "/no/such/folder/check.json", text, false);
    std::fclose(text);
    EXPECT_EQ(code, 1);
    std::string said = fileBytes(tmp.path()).at("check.txt");
    EXPECT_EQ(said.find("No se puede escribir"), 0u) << said;
    EXPECT_EQ(said.find("Empresa 001"), std::string::npos) << said;
    EXPECT_NE(said.find("de salida 1"), std::string::npos) << said;
}

// A company the run leaves alone still has its tables counted.
TEST_F(InstallationCheckTest, CompanyLeftAloneIsCounted) {
    fs::create_directories(folder() + "_TempDia.Dbf");
    InstallationCheck check = checkInstallation(root());
    ASSERT_EQ(check.companies[0].outcome, Outcome::Leave);
    const TableCheck& t = check.companies[0].tables[0];
    EXPECT_EQ(t.records, 40) << formatCheck(check);
    // Company 002 has the same rows and is migrated: the same count.
    EXPECT_GE(t.deleted, 0) << formatCheck(check);
    EXPECT_EQ(t.deleted, check.companies[1].tables[0].deleted) << formatCheck(check);
}

TEST(CheckJson, StringsAreEscapedAndUtf8) {
    EXPECT_EQ(jsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\u000a\\u0001\"");
    EXPECT_EQ(jsonString("Pe\xF1"
                         "a"),
              "\"Pe\xC3\xB1"
              "a\"");
}

}  // namespace
}  // namespace updater
