// Where an installation keeps its tables: its root, the template folder,
// each company's folder, and the journal work tables every company has.
// Paths are built with backslashes, as the product writes them everywhere.
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

}  // namespace updater
