// Gathering the live facts for the error report.
#include "errors/report_facts.h"

#include <sys/stat.h>

#include <ctime>

#include "errors/cpu_name.h"
#include "errors/info_version.h"
#include "os/fs.h"
#include "os/system_facts.h"
#include "runtime/dates.h"
#include "runtime/frames.h"

namespace errors {
namespace {

std::vector<runtime::Value> valuesOf(const std::vector<runtime::FrameVar>& vars) {
    std::vector<runtime::Value> values;
    values.reserve(vars.size());
    for (const auto& var : vars) values.push_back(var.value);
    return values;
}

// Size and modification date of the executable, from its directory entry.
void executableFacts(ReportFacts& f) {
    auto path = os::programFileName();
    if (!path.ok()) return;
    f.exePath = path.value();
    struct stat st {};
    if (stat(f.exePath.c_str(), &st) != 0) return;
    f.exeSizeBytes = static_cast<uint64_t>(st.st_size);
    std::time_t modified = st.st_mtime;
    std::tm local{};
    if (!os::localTime(modified, &local)) return;
    f.exeDate =
        runtime::DTOC(runtime::makeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
}

}  // namespace

std::vector<FrameFacts> callerFrames() {
    std::vector<FrameFacts> frames;
    for (int level = kFirstCallerLevel; level <= kLastCallerLevel; ++level) {
        std::optional<runtime::FrameInfo> info = runtime::frameAt(level);
        if (!info) break;
        if (info->name.empty()) continue;
        frames.push_back({info->name, info->line, valuesOf(info->params), valuesOf(info->locals)});
    }
    return frames;
}

ReportFacts gatherFacts() {
    ReportFacts f;
    executableFacts(f);
    f.handleCount = handleCountAnswer();
    f.today = runtime::DTOC(runtime::DATE());
    f.timeOfDay = runtime::TIME();
    f.versionSection = INFOVERSION();
    f.frames = callerFrames();
    f.cpuName = GETCPU();
    f.physicalMemoryBytes = physicalMemoryBytes();
    f.os = GETVERSION();
    f.numTasks = GETNUMTASKS();
    f.tasks = GETTASKS();
    f.tables = currentTableFacts();
    f.memory = processMemory();
    return f;
}

}  // namespace errors
