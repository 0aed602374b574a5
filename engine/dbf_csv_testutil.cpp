// CSV reading and value rendering for the corpus comparisons.
#include "engine/dbf_csv_testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "engine/dbf_field.h"
#include "engine/dbf_testutil.h"
#include "engine/engine.h"
#include "runtime/dates.h"

namespace engine::test {
namespace {

const uint16_t kCp1252High[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                  0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

void putUtf8(std::string* out, uint32_t cp) {
    if (cp < 0x80) {
        out->push_back(char(cp));
    } else if (cp < 0x800) {
        out->push_back(char(0xC0 | (cp >> 6)));
        out->push_back(char(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(char(0xE0 | (cp >> 12)));
        out->push_back(char(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(char(0x80 | (cp & 0x3F)));
    }
}

std::string unhexOrSame(const std::string& s) {
    if (s.rfind("hex:", 0) != 0) return s;
    std::string out;
    for (size_t i = 4; i + 1 < s.size(); i += 2)
        out.push_back(char(std::stoi(s.substr(i, 2), nullptr, 16)));
    return out;
}

}  // namespace

std::vector<std::vector<std::string>> readCsv(std::string_view t) {
    std::vector<std::vector<std::string>> rows(1);
    std::string cell;
    bool quoted = false;
    for (size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (quoted) {
            if (c == '"' && i + 1 < t.size() && t[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(cell);
            cell.clear();
        } else if (c == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
            rows.back().push_back(cell);
            cell.clear();
            rows.emplace_back();
            ++i;
        } else {
            cell += c;
        }
    }
    if (!cell.empty() || !rows.back().empty()) rows.back().push_back(cell);
    if (rows.back().empty()) rows.pop_back();
    return rows;
}

std::string renderText(std::string_view bytes, bool cp1252) {
    std::string out;
    for (unsigned char c : bytes) {
        if (cp1252 && c >= 0x80 && c < 0xA0)
            putUtf8(&out, kCp1252High[c - 0x80]);
        else
            putUtf8(&out, c);
    }
    return out;
}

std::string rstripBlanks(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return std::string(s);
}

std::string hex(std::string_view bytes) {
    std::string out;
    char buf[3];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02x", c);
        out += buf;
    }
    return out;
}

std::string renderDate(const std::string& d) {
    if (d.size() != 8) return "\\N";
    return d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2);
}

std::string renderDateTime(std::string_view raw) {
    if (raw.size() != 8) return "?";
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(raw[at + size_t(i)]);
        return v;
    };
    uint32_t day = u32(0), ms = u32(4);
    if (day == 0) return "\\N";
    int y, m, d;
    runtime::ymdFromJulian(int32_t(day + ms / 86400000u), &y, &m, &d);
    ms %= 86400000u;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02u:%02u:%02u.%03u", y, m, d, ms / 3600000u,
                  ms / 60000u % 60u, ms / 1000u % 60u, ms % 1000u);
    return buf;
}

bool sameVarField(const std::string& ours, const std::string& expected, bool cp1252) {
    std::string exp = unhexOrSame(expected);
    bool wasHex = exp.size() != expected.size() || expected.rfind("hex:", 0) == 0;
    auto same = [&](const std::string& a) {
        return wasHex ? a == exp : renderText(rstripBlanks(a), cp1252) == rstripBlanks(expected);
    };
    if (same(ours)) return true;
    // Expected keeps the stored bytes: the length byte at the end gives the value.
    size_t n = exp.empty() ? 0 : uint8_t(exp.back());
    if (!wasHex) return n < exp.size() && exp.substr(0, n) == renderText(ours, cp1252);
    return n < exp.size() && exp.substr(0, n) == ours;
}

namespace {

bool sameNumber(const std::string& expected, double ours) {
    char* end = nullptr;
    double e = std::strtod(expected.c_str(), &end);
    if (end == expected.c_str()) return false;
    return e == ours || std::fabs(e - ours) <= 1e-9 * std::max(1.0, std::fabs(e));
}

// Compares one field of the current record; returns "" or a description.
std::string compareField(Handle h, int field, const std::string& expected, bool cp1252) {
    char type = 0;
    EXPECT_EQ(fieldType(h, field, &type), kOk);
    std::string raw;
    EXPECT_EQ(getString(h, field, &raw), kOk);
    if (type == 'C') {
        return renderText(rstripBlanks(raw), cp1252) == expected ? "" : "text " + raw;
    }
    if (type == 'V' || type == 'Q') return sameVarField(raw, expected, cp1252) ? "" : "var " + raw;
    if (type == 'N' || type == 'F' || type == 'I' || type == 'B' || type == 'Y') {
        double d = 0;
        EXPECT_EQ(getDouble(h, field, &d), kOk);
        if (expected == "\\N")
            return raw.find_first_not_of(' ') == std::string::npos ? "" : "blank";
        return sameNumber(expected, d) ? "" : "number " + std::to_string(d);
    }
    if (type == 'L') {
        bool b = false;
        EXPECT_EQ(getLogical(h, field, &b), kOk);
        if (expected == "\\N") return (raw == "F" && !b) ? "" : "logical";
        return expected == (b ? "T" : "F") ? "" : "logical " + raw;
    }
    if (type == 'D') {
        std::string d;
        EXPECT_EQ(getDate(h, field, &d), kOk);
        return renderDate(d) == expected ? "" : "date " + d;
    }
    if (type == 'T') return renderDateTime(raw) == expected ? "" : "datetime";
    if (type == 'M' || type == 'G' || type == 'P' || type == 'W') {
        std::string m;
        if (getMemo(h, field, &m) != kOk) return "memo read failed " + lastErrorString();
        if (expected == "\\N") return m.empty() ? "" : "memo not empty";
        if (expected.rfind("hex:", 0) == 0) return "hex:" + hex(m) == expected ? "" : "memo bytes";
        return renderText(m, cp1252) == expected ? "" : "memo text";
    }
    return "unknown type";
}

}  // namespace

void expectTableMatchesCsv(const std::string& dbf, const std::string& csvPath) {
    SCOPED_TRACE(dbf);
    auto rows = readCsv(readFile(csvPath));
    ASSERT_GE(rows.size(), 1u);
    Handle h = 0;
    ASSERT_EQ(openTable(dbf, "", kTypeCdx, kOpenShared | kOpenReadOnly, &h), kOk)
        << lastErrorString();
    bool cp1252 = uint8_t(readFile(dbf)[29]) == 0x03;
    const auto& head = rows[0];
    int n = 0;
    EXPECT_EQ(fieldCount(h, &n), kOk);
    std::vector<int> column;  // csv column of field i+1
    for (int f = 1; f <= n; ++f) {
        std::string name;
        EXPECT_EQ(fieldName(h, f, &name), kOk);
        auto it = std::find(head.begin(), head.end(), name);
        ASSERT_NE(it, head.end()) << name;
        column.push_back(int(it - head.begin()));
    }
    uint32_t count = 0;
    EXPECT_EQ(recordCount(h, &count), kOk);
    ASSERT_EQ(count + 1, rows.size());
    for (uint32_t r = 1; r <= count; ++r) {
        ASSERT_EQ(gotoRecord(h, r), kOk) << lastErrorString();
        const auto& row = rows[r];
        bool del = false;
        EXPECT_EQ(isDeleted(h, &del), kOk);
        EXPECT_EQ(row[1], del ? "1" : "0") << "record " << r;
        for (int f = 1; f <= n; ++f) {
            std::string diff = compareField(h, f, row[size_t(column[size_t(f - 1)])], cp1252);
            EXPECT_EQ(diff, "") << "record " << r << " field "
                                << head[size_t(column[size_t(f - 1)])] << " expected "
                                << row[size_t(column[size_t(f - 1)])].substr(0, 80);
        }
    }
    EXPECT_EQ(closeTable(h), kOk);
}

}  // namespace engine::test
