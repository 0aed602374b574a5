// The file step of the migration: the installation's paths, the file copy
// primitive, and the moves, copies and erasures of a company's table files
// together with their memo companions (COPIAEMP).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace updater {

// The migration list: the journal work tables every company has.
const std::vector<std::string>& migrationList();

// The installation root: the first argument without its last four characters
// (nothing when it is shorter).
std::string installRoot(std::string_view cPath);
// root + "\DBF\".
std::string templateFolderOf(const std::string& root);
// root + "\DBF" + code with every blank as "0" + "\". The code is not trimmed.
std::string companyFolderOf(const std::string& root, std::string_view code);
// The memo companion of a table file: same base name, extension ".fpt".
std::string memoFileOf(std::string_view tableFile);

// Copies cSource to cTarget with the platform's file copy, replacing cTarget.
// True on success.
bool KWCOPYFILE(const std::string& cSource, const std::string& cTarget);
// KWCOPYFILE, then one animation tick. Returns the copy's result.
bool COPIAFICH(const std::string& cSource, const std::string& cTarget);

// Moves folder + name to folder + "_" + name with its memo file, memo first.
// A memo backup left by an earlier run's clean-up is replaced; one left by an
// interrupted move (the table's own memo is gone) is the real one and stays.
void moveToBackup(const std::string& folder, const std::string& name);
// Copies the template (its memo file first, when it has one) over the table.
void copyTemplate(const std::string& templateFolder, const std::string& templateName,
                  const std::string& folder, const std::string& name);
// Erases the backup of `name`: the table file first, then its memo, so that an
// interruption never leaves a backup table without its memo.
void eraseBackup(const std::string& folder, const std::string& name);
bool backupExists(const std::string& folder, const std::string& name);

// The file step for one company: backup pass and template pass over aFiles,
// with the file meter. Sets the company folder and notes in the run state
// whether an earlier run left backups. Returns true.
bool COPIAEMP(const std::string& cRoot, std::string_view cCode, const std::vector<std::string>& aFiles);

}  // namespace updater
