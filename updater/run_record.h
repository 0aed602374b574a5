// The record of a run: what each company's migration did, kept for the
// administrator who updates many installations and for whoever is asked a
// week later what happened. Every run appends one plain-text record to
// "Actualiza.log" beside the program (where "Error.log" is written, in the
// same Windows-1252 with CR LF line ends) and, when asked, writes the same
// facts as JSON.
//
// The run feeds it (run.cpp: its start, the installation, each company's
// start and end); the program's entry (main.cpp) says how the program shows
// itself, takes the record once the run has ended, however it ended, and
// saves it; in-process runs (tests) record but save nothing. A program end
// chosen in the error dialog leaves the company in work started but not
// done: the record takes it as stopped, with what its report holds so far.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "updater/installation_check.h"
#include "updater/progress.h"

namespace updater {

// The record's file name, in the program's folder.
inline constexpr const char* kRunRecordName = "Actualiza.log";

// The program's version as the record states it.
inline constexpr const char* kProgramVersion = "1.0.0";

struct CompanyRecord {
    CompanyReport report;  // tables, journals, problems and notes as the run reported them
    std::string folder;    // the company's folder
    Outcome outcome = Outcome::Migrate;  // Migrate, Leave or Stop
    bool interrupted = false;            // an earlier run had stopped here: this one resumed it
    double seconds = 0;                  // from its start to its end
    // Backups or other files the company's run left on disk, full paths,
    // and the one instruction true for all of them.
    std::vector<std::string> filesLeft;
    std::string leftAdvice;
};

struct RunRecord {
    std::string startedAt;                 // local time "YYYY-MM-DD hh:mm:ss"
    std::string program;                   // the program's full file name
    std::string version;                   // kProgramVersion
    std::string mode;                      // "consola" or "ventana"; "" when not said
    std::string root;                      // the installation root, "" when the run had no path
    std::string variant;                   // the second argument, "" when absent
    std::vector<CompanyRecord> companies;  // in the order the run took them
    double seconds = 0;                    // the whole run
    int exitCode = 0;
    std::vector<std::string> problems;  // the summary's lines, "code: what and why"
};

// How the program shows itself ("consola", "ventana"), for every record
// taken after it.
void recordMode(const std::string& mode);
// The run begins: clears what an earlier run of this process recorded and
// notes the time.
void recordRunStarted();
// The installation the run works on, once its root is known.
void recordInstallation(const std::string& root, const std::optional<std::string>& variant);
// The company of the run state begins, and has ended (read from the run
// state: its report, folder, plan and whether the run stopped in it).
void recordCompanyStarted();
void recordCompanyDone();

// The record of the run that ended with `exitCode`. A company started and
// not done is taken as stopped. Reads the run state; changes nothing.
RunRecord takeRunRecord(int exitCode);

// The record as text (Windows-1252, lines ended by CR LF) and as JSON
// (UTF-8; the check's member names where they mean the same).
std::string runRecordText(const RunRecord& record);
std::string runRecordJson(const RunRecord& record);

// Appends the record to `folder` + kRunRecordName and writes its JSON to
// `jsonFile` when given. Returns a line for the user per file that could not
// be written (Windows-1252); empty when both were.
std::vector<std::string> saveRunRecord(const RunRecord& record, const std::string& folder,
                                       const std::optional<std::string>& jsonFile);

// The folder of the running program, with its separator at the end: where
// "Error.log" is written and the record kept.
std::string programFolder();

}  // namespace updater
