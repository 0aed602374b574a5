// Code pages and the text rules: case tables, collation weights, trimming,
// searching and the relational operators.
#include "runtime/codepage.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "runtime/settings.h"

namespace runtime {
namespace {

// A code page as two tables built from its two alphabets: the case partner
// of every byte and the collation weight of every letter (-1 = not a letter
// of the alphabets).
struct CodePage {
    std::string name;
    std::array<unsigned char, 256> upper{};
    std::array<unsigned char, 256> lower{};
    std::array<int, 256> weight{};
};

CodePage buildPage(std::string name, std::string_view upperAlpha, std::string_view lowerAlpha) {
    CodePage p;
    p.name = std::move(name);
    for (int c = 0; c < 256; ++c) {
        p.upper[c] = static_cast<unsigned char>(c);
        p.lower[c] = static_cast<unsigned char>(c);
        p.weight[c] = -1;
    }
    const int n = static_cast<int>(upperAlpha.size());
    for (int k = 0; k < n; ++k) {
        auto u = static_cast<unsigned char>(upperAlpha[k]);
        auto l = static_cast<unsigned char>(lowerAlpha[k]);
        p.upper[l] = u;
        p.lower[u] = l;
        p.weight[u] = k;      // every upper-case letter sorts before
        p.weight[l] = n + k;  // every lower-case letter
    }
    return p;
}

const CodePage& pageEn() {
    static const CodePage p =
        buildPage("EN", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz");
    return p;
}

// The Spanish alphabets in Windows-1252: accented vowels follow their plain
// vowel, N-tilde follows N, U-diaeresis follows U-acute.
const CodePage& pageEsWin() {
    static const CodePage p = buildPage("ESWIN",
                                        "A\xC1"
                                        "BCDE\xC9"
                                        "FGHI\xCD"
                                        "JKLMN\xD1O\xD3PQRSTU\xDA\xDCVWXYZ",
                                        "a\xE1"
                                        "bcde\xE9"
                                        "fghi\xED"
                                        "jklmn\xF1o\xF3pqrstu\xFA\xFCvwxyz");
    return p;
}

const CodePage* g_page = nullptr;

const CodePage& page() {
    return g_page ? *g_page : pageEn();
}

bool isWhite(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// How many bytes from `from` on are blanks, eight at a time: blank fields
// (most of a journal's text fields) are skipped without a test per byte.
size_t blanksFrom(std::string_view s, size_t from) {
    constexpr uint64_t kBlanks = 0x2020202020202020ull;
    size_t i = from;
    for (uint64_t w; i + 8 <= s.size(); i += 8) {
        std::memcpy(&w, s.data() + i, 8);
        if (w != kBlanks) break;
    }
    return i - from;
}

}  // namespace

std::string HB_SETCODEPAGE(std::optional<std::string_view> name) {
    std::string previous = page().name;
    if (!name) return previous;
    std::string up(*name);
    for (auto& c : up) c = static_cast<char>(upperByte(static_cast<unsigned char>(c)));
    if (up == "ESWIN") g_page = &pageEsWin();
    if (up == "EN") g_page = &pageEn();
    return previous;
}

unsigned char upperByte(unsigned char c) {
    return page().upper[c];
}

// Both pages map a-z and A-Z, so the tables alone give the result.
std::string UPPER(std::string_view s) {
    std::string out;
    appendUpper(s, &out);
    return out;
}

void appendUpper(std::string_view s, std::string* out) {
    const auto& table = page().upper;
    size_t at = out->size();
    out->append(s);
    for (char* c = out->data() + at; c != out->data() + out->size(); ++c)
        *c = static_cast<char>(table[static_cast<unsigned char>(*c)]);
}

std::string LOWER(std::string_view s) {
    const auto& table = page().lower;
    std::string out(s);
    for (auto& c : out) c = static_cast<char>(table[static_cast<unsigned char>(c)]);
    return out;
}

std::string_view trimTrailingSpaces(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return s.substr(0, n);
}

std::string_view trimLeadingWhite(std::string_view s) {
    size_t i = blanksFrom(s, 0);
    while (i < s.size() && isWhite(static_cast<unsigned char>(s[i]))) ++i;
    return s.substr(i);
}

std::string_view allTrimmed(std::string_view s) {
    return trimLeadingWhite(trimTrailingSpaces(s));
}

std::string RTRIM(std::string_view s) {
    return std::string(trimTrailingSpaces(s));
}

std::string TRIM(std::string_view s) {
    return RTRIM(s);
}

std::string LTRIM(std::string_view s) {
    return std::string(trimLeadingWhite(s));
}

std::string ALLTRIM(std::string_view s) {
    return std::string(allTrimmed(s));
}

bool emptyText(std::string_view s) {
    for (size_t i = blanksFrom(s, 0); i < s.size(); ++i) {
        if (!isWhite(static_cast<unsigned char>(s[i]))) return false;
    }
    return true;
}

bool EMPTY(const Value& v) {
    switch (v.type()) {
        case Type::kNil:
            return true;
        case Type::kText:
        case Type::kMemo:
            return emptyText(v.text());
        case Type::kNumber:
            return v.num() == 0;
        case Type::kLogical:
            return !v.logical();
        case Type::kDate:
            return v.date().empty();
        case Type::kDateTime:
            return v.dateTime().empty();
        case Type::kArray:
            return v.array()->empty();
        case Type::kBlock:
        case Type::kObject:
            return false;
    }
    return false;
}

int RAT(std::string_view needle, std::string_view haystack) {
    if (needle.empty() || needle.size() > haystack.size()) return 0;
    size_t pos = haystack.rfind(needle);
    return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

int AT(std::string_view needle, std::string_view haystack) {
    if (needle.empty()) return 0;
    size_t pos = haystack.find(needle);
    return pos == std::string_view::npos ? 0 : static_cast<int>(pos) + 1;
}

std::string STUFF(std::string_view s, int nStart, int nDelete, std::string_view insert) {
    const int len = static_cast<int>(s.size());
    int start = nStart < 1 ? 0 : nStart - 1;
    if (start > len) start = len;
    int del = nDelete < 0 ? 0 : nDelete;
    if (del > len - start) del = len - start;
    std::string out(s.substr(0, start));
    out.append(insert);
    out.append(s.substr(start + del));
    return out;
}

namespace {

int compareBytesIn(const CodePage& p, unsigned char a, unsigned char b) {
    if (a == b) return 0;
    const int wa = p.weight[a];
    const int wb = p.weight[b];
    if (wa >= 0 && wb >= 0) return wa < wb ? -1 : 1;
    return a < b ? -1 : 1;
}

}  // namespace

int compareBytes(unsigned char a, unsigned char b) {
    return compareBytesIn(page(), a, b);
}

int compareTextWith(std::string_view a, std::string_view b, bool exactOp, bool exactSetting) {
    const bool exact = exactOp || exactSetting;
    if (exactSetting && !exactOp) {
        a = trimTrailingSpaces(a);
        b = trimTrailingSpaces(b);
    }
    const CodePage& p = page();
    const size_t m = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < m; ++i) {
        int r =
            compareBytesIn(p, static_cast<unsigned char>(a[i]), static_cast<unsigned char>(b[i]));
        if (r != 0) return r;
    }
    if (a.size() == b.size()) return 0;
    if (exact) return a.size() < b.size() ? -1 : 1;
    // Not exact: the left side only has to begin with the right side, and
    // an empty right side equals anything.
    return a.size() < b.size() ? -1 : 0;
}

int compareText(std::string_view a, std::string_view b, bool exactOp) {
    return compareTextWith(a, b, exactOp, isExact());
}

namespace {

bool applyOrder(int r, CompareOp op) {
    switch (op) {
        case CompareOp::Equal:
        case CompareOp::ExactEqual:
            return r == 0;
        case CompareOp::NotEqual:
            return r != 0;
        case CompareOp::Less:
            return r < 0;
        case CompareOp::LessEqual:
            return r <= 0;
        case CompareOp::Greater:
            return r > 0;
        case CompareOp::GreaterEqual:
            return r >= 0;
    }
    return false;
}

template <class T>
int threeWay(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

bool isEquality(CompareOp op) {
    return op == CompareOp::Equal || op == CompareOp::ExactEqual || op == CompareOp::NotEqual;
}

}  // namespace

bool textRelation(std::string_view a, CompareOp op, std::string_view b) {
    return applyOrder(compareText(a, b, op == CompareOp::ExactEqual), op);
}

std::optional<bool> compareValues(const Value& a, CompareOp op, const Value& b) {
    if (a.isNil() || b.isNil()) {
        if (!isEquality(op)) return std::nullopt;
        return applyOrder(a.isNil() && b.isNil() ? 0 : 1, op);
    }
    if (a.isText() && b.isText()) return textRelation(a.text(), op, b.text());
    if (a.isNumber() && b.isNumber()) return applyOrder(threeWay(a.num(), b.num()), op);
    if (a.isDate() && b.isDate()) return applyOrder(threeWay(a.date().julian, b.date().julian), op);
    if (a.isDateTime() && b.isDateTime())
        return applyOrder(threeWay(a.dateTime(), b.dateTime()), op);
    if (a.isLogical() && b.isLogical()) {
        return applyOrder(threeWay(int(a.logical()), int(b.logical())), op);
    }
    if (!isEquality(op)) return std::nullopt;
    // Arrays, blocks and objects are equal only to themselves.
    if (a.isArray() && b.isArray()) return applyOrder(a.array() == b.array() ? 0 : 1, op);
    if (a.isObject() && b.isObject()) return applyOrder(a.object() == b.object() ? 0 : 1, op);
    if (a.isBlock() && b.isBlock()) return applyOrder(a.block() == b.block() ? 0 : 1, op);
    return std::nullopt;
}

}  // namespace runtime
