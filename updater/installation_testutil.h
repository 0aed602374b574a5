// Test helpers over generated installations: dumps of tables read straight
// through the engine, snapshots of a whole installation, leftover backups,
// and the marking rule applied to a generated row.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "errors/error_dialog.h"
#include "updater/demo_installation.h"
#include "updater/progress.h"

namespace updater::testing {

struct TableDump {
    std::string error;                // empty when the table could be read
    std::vector<std::string> fields;  // "NAME:T"
    // "*" or " ", then every field's value joined by '|': text as stored,
    // numbers with four decimals, logicals "T"/"F", memos their text.
    std::vector<std::string> records;
    std::vector<uint32_t> keyOrder;  // record numbers in order 1 (empty without orders)
    uint32_t keyCount = 0;           // keys in order 1

    // The text of `field` in record `index` (0-based).
    std::string value(size_t index, const std::string& field) const;
    bool operator==(const TableDump&) const = default;
};

TableDump dumpTable(const std::string& path);

// Every table file under root by path relative to it, lower-cased.
std::map<std::string, TableDump> snapshot(const std::string& root);

// Every file under root by path relative to it, lower-cased, with its bytes.
// Without `tableDates`, the day of last update in each table's header reads
// as zeros: two runs on either side of midnight differ there and nowhere else.
std::map<std::string, std::string> fileBytes(const std::string& root, bool tableDates = true);
// The same paths alone, sorted.
std::vector<std::string> fileList(const std::string& root);

// The frame of a one-company installation under `root`: the templates, a
// register with company "001" and its folder with a Claves that links no
// journal. The caller writes the company's tables.
void makeCompanySkeleton(const std::string& root);

// Runs the whole program in this process on the installation `root`, with
// the error dialog answering `answer`. Returns the exit code the program
// would end with.
int runInProcess(const std::string& root, Progress& progress,
                 errors::DialogAnswer answer = errors::DialogAnswer::Exit);
// The same with `dialog` as the error dialog.
int runInProcess(const std::string& root, Progress& progress,
                 std::shared_ptr<errors::ErrorDialog> dialog);

// Files whose name begins with "_" anywhere under root.
std::vector<std::string> leftoverBackups(const std::string& root);

bool ruleHolds(const demo::Row& row);

// Gives the company of register record `recNo` the code `code` with the
// register's index closed, so that the index no longer matches the records.
void recodeBehindRegisterIndex(const std::string& root, uint32_t recNo, const std::string& code);

// True when one of `lines` contains `text`.
bool mentions(const std::vector<std::string>& lines, const std::string& text);

// Removes the folder `root` and everything in it, read-only files too.
void removeAll(const std::string& root);

// A fresh temporary folder named after the running test; removed by the
// destructor.

// A folder in memory when the machine has one (/dev/shm), else the system's
// temporary folder: for tests that run thousands of flushes.
std::string memoryFolder();
class TempFolder {
public:
    explicit TempFolder(const std::string& tag = "");
    // In `base` instead of the system's temporary folder.
    TempFolder(const std::string& tag, const std::string& base);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace updater::testing
