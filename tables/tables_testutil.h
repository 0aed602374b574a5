// Test support for the table layer: a temporary folder, a recording error
// handler that answers like the program's handler (silent open failures set
// NETERR and NERRORCODE), recording message boxes and dialogs, and helpers
// that build small tables through the engine.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "os/process.h"
#include "runtime/alert.h"
#include "runtime/value.h"
#include "tables/dialogs.h"
#include "tables/rdd.h"

namespace tables::testing {

// What the recording handler kept of one error.
struct RaisedError {
    int genCode = 0;
    int subCode = 0;
    int osCode = 0;
    int severity = 0;
    std::string subSystem;
    std::string operation;
    std::string fileName;
    std::string description;
    bool silent = false;  // answered without a dialog
};

// Installs an error block that records every error and answers "default",
// applying the silent rules of the program's handler: engine codes 7004,
// 7008, 5004, 7040 become OS codes 4, 5, 2, 5; an open error with OS code
// 2, 3, 4, 5 or 32 (and a create error with 2..5) sets NETERR and records
// NERRORCODE. Restores the previous block on destruction.
class ErrorRecorder {
public:
    ErrorRecorder();
    ~ErrorRecorder();
    ErrorRecorder(const ErrorRecorder&) = delete;
    ErrorRecorder& operator=(const ErrorRecorder&) = delete;
    std::vector<RaisedError> errors;

private:
    runtime::Block previous_;
};

// Fixture: a fresh temp folder, the program's start-up settings (DELETED on,
// EXCLUSIVE on), "ADS" registered and default, all areas closed, recording
// error handler, boxes and dialogs, and no real waiting.
class TablesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Full path (no extension) of a table name in the temp folder.
    std::string path(const std::string& name) const;
    // Creates a table with these fields; REQUIRES success.
    void createTable(const std::string& name, const std::vector<FieldInfo>& fields);
    // Creates "PEOPLE": NAME C10, AGE N3, ACTIVE L, BORN D, NOTE M (and rows).
    void createPeople(const std::string& name, int rows);
    // Opens exclusive in a new area under its name; REQUIRES success.
    void use(const std::string& name, bool shared = false);
    // Error classes (GenCode) recorded so far.
    std::vector<int> genCodes() const;

    std::filesystem::path dir_;
    ErrorRecorder* recorder_ = nullptr;
    runtime::RecordingAlertUi alerts_;
    RecordingDialogUi dialogs_;
    runtime::AlertUi* previousAlerts_ = nullptr;
    DialogUi* previousDialogs_ = nullptr;
};

// Seconds asked of the (replaced) wait since SetUp, in order.
std::vector<double>& recordedWaits();

// The test program itself, for tests that need a second process.
std::string selfProgram();

// The table layer's test program (tables_tests), found beside the running
// one; other layers' tests start it to hold a table from a second process.
std::string tablesTestProgram();

// A second process that holds a table until destroyed: `program --hold`
// (the table layer's test program) opens it exclusive ("exclusive"),
// shared with one record locked ("lock") or the whole table ("table").
class HeldTable {
public:
    HeldTable(const std::string& table, const std::string& mode, uint32_t recNo,
              const std::string& dir, const std::string& program = selfProgram());
    ~HeldTable();
    HeldTable(const HeldTable&) = delete;
    HeldTable& operator=(const HeldTable&) = delete;
    bool ready() const;

private:
    std::string ready_, release_;
    os::Process child_;
};

// The tables of the shared corpus (testdata/corpus): folder and base name.
struct CorpusTable {
    const char* dir;
    const char* name;
};
const std::vector<CorpusTable>& corpusTables();
// Full path of a corpus table without extension.
std::string corpusBase(const CorpusTable& t);
// The file beside `base` with one of the extensions (any case), "" when none.
std::string withExtension(const std::string& base, const char* lowerExt);

// A whole file's bytes ("" when it cannot be read), and a file written whole.
std::string fileBytes(const std::string& path);
void putFile(const std::string& path, const std::string& bytes);

// Reads a CSV file of the corpus (UTF-8, quoted values may span lines).
std::vector<std::vector<std::string>> readCsv(const std::string& file);

}  // namespace tables::testing
