// Paths, file copy and the per-company file step.
#include "updater/file_steps.h"

#include "os/fs.h"
#include "updater/run_state.h"

namespace updater {

const std::vector<std::string>& migrationList() {
    static const std::vector<std::string> list = {"TDiaNew.Dbf", "TempDia.Dbf"};
    return list;
}

std::string installRoot(std::string_view cPath) {
    return std::string(cPath.substr(0, cPath.size() > 4 ? cPath.size() - 4 : 0));
}

std::string templateFolderOf(const std::string& root) { return root + "\\DBF\\"; }

std::string companyFolderOf(const std::string& root, std::string_view code) {
    std::string folder(code);
    for (char& c : folder)
        if (c == ' ') c = '0';
    return root + "\\DBF" + folder + "\\";
}

std::string memoFileOf(std::string_view tableFile) {
    size_t dot = tableFile.rfind('.');
    size_t slash = tableFile.find_last_of("\\/");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string(tableFile) + ".fpt";
    return std::string(tableFile.substr(0, dot)) + ".fpt";
}

bool KWCOPYFILE(const std::string& cSource, const std::string& cTarget) {
    return os::copyFile(cSource, cTarget).ok();
}

bool COPIAFICH(const std::string& cSource, const std::string& cTarget) {
    bool copied = KWCOPYFILE(cSource, cTarget);
    LCAMBIAICO();
    return copied;
}

void moveToBackup(const std::string& folder, const std::string& name) {
    std::string memo = memoFileOf(folder + name);
    std::string backupMemo = memoFileOf(folder + "_" + name);
    if (os::fileExists(memo)) {
        // A backup memo beside a live memo can only be the leftover of a
        // clean-up that stopped between the table and its memo.
        if (os::fileExists(backupMemo)) (void)os::eraseFile(backupMemo);
        (void)os::renameFile(memo, backupMemo);
    }
    (void)os::renameFile(folder + name, folder + "_" + name);
}

void copyTemplate(const std::string& templateFolder, const std::string& templateName,
                  const std::string& folder, const std::string& name) {
    std::string templateMemo = memoFileOf(templateFolder + templateName);
    if (os::fileExists(templateMemo)) (void)KWCOPYFILE(templateMemo, memoFileOf(folder + name));
    COPIAFICH(templateFolder + templateName, folder + name);
}

void eraseBackup(const std::string& folder, const std::string& name) {
    std::string backup = folder + "_" + name;
    (void)os::eraseFile(backup);
    std::string memo = memoFileOf(backup);
    if (os::fileExists(memo)) (void)os::eraseFile(memo);
}

bool backupExists(const std::string& folder, const std::string& name) {
    return os::fileExists(folder + "_" + name);
}

bool COPIAEMP(const std::string& cRoot, std::string_view cCode, const std::vector<std::string>& aFiles) {
    RunState& s = runState();
    s.templateFolder = templateFolderOf(cRoot);
    s.companyFolder = companyFolderOf(cRoot, cCode);
    const std::string& folder = s.companyFolder;
    long count = static_cast<long>(aFiles.size());
    if (s.dialog) s.dialog->setTotal(Meter::kFile, count);

    s.resumed = false;
    for (const std::string& name : aFiles)
        if (backupExists(folder, name)) s.resumed = true;

    for (long i = 0; i < count; ++i) {
        const std::string& name = aFiles[static_cast<size_t>(i)];
        if (!backupExists(folder, name)) moveToBackup(folder, name);
        setMeter(Meter::kFile, i + 1);
        if (s.dialog) s.dialog->pump();
    }
    for (long i = 0; i < count; ++i) {
        const std::string& name = aFiles[static_cast<size_t>(i)];
        // A table whose move failed still holds the company's only copy of
        // its records: it is never overwritten by the empty template.
        if (backupExists(folder, name) || !os::fileExists(folder + name))
            copyTemplate(s.templateFolder, name, folder, name);
        setMeter(Meter::kFile, i + 1);
        if (s.dialog) s.dialog->pump();
    }
    s.meterCounters[static_cast<int>(Meter::kFile)] = count;
    return true;
}

}  // namespace updater
