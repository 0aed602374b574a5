// Product-version list and the report's version section.
#include "errors/info_version.h"

#include "errors/value_text.h"

namespace errors {
namespace {

runtime::Value& versionList() {
    static runtime::Value list;
    return list;
}

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string capitalised(std::string name) {
    for (size_t i = 0; i < name.size(); ++i)
        name[i] = i == 0 ? upperAscii(name[i]) : lowerAscii(name[i]);
    return name;
}

std::string entryLine(const runtime::Value& entry) {
    runtime::Value name, value;
    if (entry.isArray()) {
        const auto& pair = *entry.array();
        if (!pair.empty()) name = pair[0];
        if (pair.size() > 1) value = pair[1];
    }
    return " " + capitalised(asText(name)) + ": " + asText(value);
}

}  // namespace

runtime::Value AKWVERSION(std::optional<runtime::Value> aNew) {
    if (aNew) versionList() = std::move(*aNew);
    return versionList();
}

std::string INFOVERSION() {
    std::string out =
        "\r\nInformaci\xF3n sobre la versi\xF3n.\r\n=============================\r\n";
    runtime::Value list = AKWVERSION();
    if (list.isArray())
        for (const auto& entry : *list.array()) out += entryLine(entry) + "\r\n";
    return out + "\r\n";
}

}  // namespace errors
