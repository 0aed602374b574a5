// What the update run shows while it works: two meters, the list of companies
// with their done marks, an animated picture and the message pump. The progress
// dialog and the console both implement it, so the run itself needs no window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace updater {

// The two meters of the run, numbered as the meter counters are.
enum class Meter { kCompany = 0, kFile = 1 };

// What happened to one table of a company, for the summary after it.
struct TableReport {
    std::string name;         // file name as the run names it ("TDiaNew.Dbf")
    long copied = 0;          // records written into the fresh table
    long marked = 0;          // rows whose L340 the run set
    long leftOut = 0;         // deleted records of the backup not carried over
    bool refilled = false;    // the refill ran to its end without an error
    bool backupKept = false;  // the backup stays for the next run
    std::string note;         // why a table was skipped or a backup kept
    uint64_t checkMs = 0;     // how long reading it back and comparing took
};

// One linked accounting journal.
struct JournalReport {
    std::string path;      // the journal's table name, without extension
    bool visited = false;  // opened and walked
    long marked = 0;
    std::string why;  // why it was skipped
};

struct CompanyReport {
    std::string code;
    std::string name;
    // Why the company, or part of it, was left as it was or kept its backups
    // (each one makes the run end with exit code 2); empty when all went well.
    std::vector<std::string> problems;
    std::vector<std::string> notes;  // what was left alone without harm
    std::string linkNote;            // why no journal was visited, when none was
    std::vector<JournalReport> journals;
    std::vector<TableReport> tables;
    std::vector<std::string> filesLeft;  // backups or other files the run left, full paths
    std::string leftAdvice;              // the one instruction true for all of filesLeft
};

class Progress {
public:
    virtual ~Progress() = default;

    virtual void setCaption(Meter meter, std::string_view text) = 0;
    virtual void setTotal(Meter meter, long total) = 0;
    // Shows `value`; the run has already stored it in the meter counters.
    virtual void setValue(Meter meter, long value) = 0;
    // The company list redraws; rows whose code is <= currentCode are done.
    virtual void refreshCompanies(std::string_view currentCode) = 0;
    // The animation picture shows "ACTUA" + frame.
    virtual void showFrame(int frame) = 0;
    // Handles whatever is pending (window messages, console output).
    virtual void pump() = 0;

    // A company's migration begins and ends, and one of its record steps
    // (a journal marked, a table refilled) begins.
    virtual void companyStarted(std::string_view code, std::string_view name) = 0;
    virtual void stepStarted(std::string_view what) = 0;
    // The record step begun last has walked `done` of its `total` records
    // (deleted ones included; total 0 when not known). Called every few
    // hundred records and once when the walk ends, so a long step can show
    // how far it is; what to redraw, and how often, is the face's choice.
    virtual void stepProgress(long done, long total) = 0;
    virtual void companyDone(const CompanyReport& report) = 0;

    // The window the shared framework takes as the application's main
    // window (a toolkit window object), or nullptr for a face without one.
    virtual const void* window() const { return nullptr; }

    // The run is over: `exitCode` is what the program ends with (0 all
    // migrated, 1 stopped on an error, 2 something left as it was) and
    // `problems` lists, one line each, what was left and why.
    virtual void runDone(int exitCode, const std::vector<std::string>& problems) = 0;
};

}  // namespace updater
