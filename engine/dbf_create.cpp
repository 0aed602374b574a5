// New tables: the header built from a field list text, and the files
// written (DBF with its end marker, an empty FPT when there are memos).
#include <cctype>
#include <set>

#include "engine/dbf_header.h"

namespace engine {
namespace {

std::string trim(std::string_view s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(b, e - b + 1));
}

std::vector<std::string> split(std::string_view s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            parts.push_back(trim(s.substr(start, i - start)));
            start = i + 1;
        }
    }
    return parts;
}

bool validName(const std::string& n) {
    if (n.empty() || n.size() > 10 || !std::isalpha(uint8_t(n[0]))) return false;
    for (char c : n)
        if (!std::isalnum(uint8_t(c)) && c != '_') return false;
    return true;
}

bool parseInt(const std::string& s, int* v) {
    if (s.empty() || s.size() > 5) return false;
    for (char c : s)
        if (!std::isdigit(uint8_t(c))) return false;
    *v = std::stoi(s);
    return true;
}

// Fixed lengths of the types that take no length; 0 for C, N, F.
int fixedLength(char type, bool visual) {
    switch (type) {
        case 'D':
        case 'B':
        case 'Y':
        case 'T':
            return 8;
        case 'L':
            return 1;
        case 'I':
            return 4;
        case 'M':
            return visual ? 4 : 10;
        default:
            return 0;
    }
}

Status parseField(const std::string& def, bool visual, FieldDesc* f) {
    std::vector<std::string> p = split(def, ',');
    if (p.size() < 2) {
        return Status(kInvalidArgument, "field \"" + def + "\": name and type expected");
    }
    for (char& c : p[0]) c = char(std::toupper(uint8_t(c)));
    f->name = p[0];
    if (!validName(f->name) || p[1].size() != 1) {
        return Status(kInvalidArgument, "field \"" + def + "\": bad name or type");
    }
    f->type = char(std::toupper(uint8_t(p[1][0])));
    if (std::string("CNFLDMIBYT").find(f->type) == std::string::npos) {
        return Status(kNotSupported, "field " + f->name + ": type " + f->type + " not supported");
    }
    int len = fixedLength(f->type, visual), dec = 0;
    if (len == 0) {
        if (p.size() < 3 || !parseInt(p[2], &len) || (p.size() > 3 && !parseInt(p[3], &dec))) {
            return Status(kInvalidArgument, "field " + f->name + ": length expected");
        }
        int maxLen = f->type == 'C' ? 254 : 20;
        bool decOk = f->type == 'C' ? dec == 0 : (dec == 0 || dec <= len - 2);
        if (len < 1 || len > maxLen || !decOk) {
            return Status(kInvalidArgument, "field " + f->name + ": impossible length " +
                                                std::to_string(len) + "," + std::to_string(dec));
        }
    } else if (f->type == 'B' && p.size() > 3) {
        parseInt(p[3], &dec);
    }
    f->length = uint16_t(len);
    f->decimals = uint8_t(f->type == 'Y' ? 4 : dec);
    return Status();
}

}  // namespace

Status buildDbfHeader(std::string_view fieldList, bool memoAsDbt, DbfHeader* h) {
    *h = DbfHeader();
    std::vector<std::string> fieldDefs;
    for (std::string& s : split(fieldList, ';'))
        if (!s.empty()) fieldDefs.push_back(s);
    if (fieldDefs.empty()) {
        return Status(kInvalidArgument, "empty field list");
    }
    if (fieldDefs.size() > size_t(kMaxFields)) {
        return Status(kLimitExceeded, "too many fields");
    }
    bool visual = false;
    for (const std::string& s : fieldDefs) {
        std::vector<std::string> p = split(s, ',');
        if (p.size() >= 2 && p[1].size() == 1 &&
            std::string("IBYTibyt").find(p[1][0]) != std::string::npos)
            visual = true;
    }
    std::set<std::string> names;
    uint32_t offset = 1;
    for (const std::string& s : fieldDefs) {
        FieldDesc f;
        if (Status r = parseField(s, visual, &f); !r.ok()) return r;
        if (!names.insert(f.name).second) {
            return Status(kInvalidArgument, "field " + f.name + " appears twice");
        }
        f.offset = offset;
        offset += f.length;
        h->fields.push_back(f);
    }
    if (offset > kMaxRecordBytes) {
        return Status(kLimitExceeded,
                      "record longer than " + std::to_string(kMaxRecordBytes) + " bytes");
    }
    bool memo = h->hasMemoFields();
    if (visual) {
        h->version = 0x30;
        h->flags = memo ? kDbfFlagMemo : 0;
        h->extra.assign(kDbfBacklinkBytes, 0);
    } else {
        h->version = memo ? (memoAsDbt ? 0x83 : 0xF5) : 0x03;
    }
    h->recordBytes = uint16_t(offset);
    h->headerBytes =
        uint16_t(kDbfHeaderBytes + kDbfDescriptorBytes * h->fields.size() + 1 + h->extra.size());
    h->codePage = 0x03;
    stampDbfDate(h);
    return Status();
}

}  // namespace engine
