// The text of "Error.log": built in memory from the facts gathered when an
// error is reported, line by line in a fixed layout, Windows-1252, lines
// ended by CR LF. Gathering the facts (report_facts.h) is kept apart so the
// layout can be checked with fixed facts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "errors/system_facts.h"
#include "errors/work_area_facts.h"
#include "runtime/value.h"

namespace errors {

// One call level of the program: procedure name, source line, and the
// values of its parameters and locals.
struct FrameFacts {
    std::string name;  // "ACTUA", or "TDIALOG:ACTIVATE" for a method
    int line = 0;
    std::vector<runtime::Value> params;
    std::vector<runtime::Value> locals;
};

struct ReportFacts {
    std::string exePath;
    uint64_t exeSizeBytes = 0;
    std::string exeDate;  // in the current date format
    int handleCount = 0;
    std::string today;               // in the current date format
    std::string timeOfDay;           // "hh:mm:ss"
    std::string versionSection;      // INFOVERSION()
    std::string description;         // ERRORMESSAGE(oError)
    runtime::Value args;             // listed only when it is an array
    std::vector<FrameFacts> frames;  // caller levels, innermost first
    std::string cpuName;
    uint64_t physicalMemoryBytes = 0;
    OsVersion os;
    int numTasks = 0;
    std::vector<std::string> tasks;
    TableFacts tables;
    int staticCount = 0;  // static variables of the program
    ProcessMemory memory;
};

// The call-stack lines " Llamado desde NAME(LINE)", one per frame; the same
// lines appear in the report and in the dialog's list.
std::vector<std::string> callStackLines(const std::vector<FrameFacts>& frames);

// The first part of the report: application, version, description,
// arguments, call stack and system sections.
std::string reportHead(const ReportFacts& facts);

// The second part: variables in use, drivers, work areas, classes and memory.
std::string reportTail(const ReportFacts& facts);

// The whole file: head, tail and the closing byte 1A hex.
std::string reportFile(const ReportFacts& facts);

// n right-aligned in `places` characters; places asterisks when it does not
// fit.
std::string inPlaces(int64_t n, int places);

}  // namespace errors
