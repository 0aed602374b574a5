// The installation's root, template folder, company folders and tables.
#include "updater/installation_paths.h"

namespace updater {

const std::vector<std::string>& migrationList() {
    static const std::vector<std::string> list = {"TDiaNew.Dbf", "TempDia.Dbf"};
    return list;
}

std::string installRoot(std::string_view cPath) {
    return std::string(cPath.substr(0, cPath.size() > 4 ? cPath.size() - 4 : 0));
}

std::string templateFolderOf(const std::string& root) {
    return root + "\\DBF\\";
}

std::string companyFolderOf(const std::string& root, std::string_view code) {
    std::string folder(code);
    for (char& c : folder)
        if (c == ' ') c = '0';
    return root + "\\DBF" + folder + "\\";
}

}  // namespace updater
