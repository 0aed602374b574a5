// A read-only look at an installation before the run: for every company of
// the register, in the run's order, what a run would do with it and what
// would make the run leave it as it is or stop, decided by the run's own
// plan (company_plan.h) and field rules (field_fit.h). Nothing is written:
// every table is opened shared and read only, so the check can run while the
// product is open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace updater {

// What a run would end with for one company.
enum class Outcome {
    Migrate,     // migrated, or resumed, to the end
    Leave,       // left exactly as it is (exit code 2)
    Stop,        // the run stops on an error in this company (exit code 1)
    NotReached,  // the run stops before this company
};

// "migrate", "leave", "stop", "notReached".
const char* outcomeName(Outcome outcome);

// One of the company's journal work tables and the table a run rebuilds it from.
struct TableCheck {
    std::string name;            // "TDiaNew.Dbf"
    bool present = false;        // the table is there
    bool backupPresent = false;  // its backup "_" + name is there
    std::string action;          // "migrate", "resume", "erase" (only its backup) or "none"
    std::string source;  // the file a rebuild reads ("TDiaNew.Dbf", "_TDiaNew.Dbf"), "" for none
    long records = -1;   // records of the source, deleted ones included; -1 unknown
    long deleted = -1;   // of them deleted: a rebuild leaves them out; -1 unknown
    bool memo = false;   // the source has its memo file
    bool index = false;  // the source has its index file
    uint64_t bytes = 0;  // the source's table, memo and index
};

// A linked accounting journal a run would mark.
struct JournalCheck {
    std::string path;   // table name without extension, as the run builds it
    std::string state;  // "mark", "missing", "inUse", "noL340", "damaged"
    std::string why;    // for people
};

struct CompanyCheck {
    std::string code;
    std::string name;
    std::string folder;
    Outcome outcome = Outcome::Migrate;
    bool interrupted = false;  // an earlier run stopped here: the run resumes from the backups
    // What the migration record an earlier run left says, for people; empty
    // when there is none.
    std::string record;
    bool keysPresent = false;  // Claves can be read
    std::string linkNote;      // why no journal is marked, when none is
    std::vector<JournalCheck> journals;
    std::vector<TableCheck> tables;      // the migration list's tables, then TDiaNic
    std::vector<std::string> leaves;     // why a run leaves the company as it is
    std::vector<std::string> stops;      // why a run would stop in this company
    std::vector<std::string> notes;      // what a run leaves alone without harm
    std::vector<std::string> unmarked;   // journals a run would leave unmarked (exit code 2)
    std::vector<std::string> filesLeft;  // backups a run could not erase (exit code 2)
    uint64_t bytesNeeded = 0;  // what its rebuilt tables take while their backups are still there
};

struct InstallationCheck {
    std::string root;
    std::vector<std::string> stops;       // before any company: register, templates
    std::vector<CompanyCheck> companies;  // in the run's order
    bool freeKnown = false;
    uint64_t freeBytes = 0;            // free on the volume of the installation
    uint64_t peakBytes = 0;            // the most one company needs
    std::string peakCompany;           // its code
    int exitCode = 0;                  // what the run would end with: 0, 2 or 1
    std::vector<std::string> summary;  // one line per company left or stopped on, and why
};

// Checks the installation whose root is `root` (the run's first argument
// without its last four characters). Reads only; raises no runtime error.
InstallationCheck checkInstallation(const std::string& root);

}  // namespace updater
