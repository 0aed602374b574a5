// Field value encoding and decoding (rules in dbf_field.h).
#include "engine/dbf_field.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/byte_order.h"
#include "runtime/dates.h"

namespace engine {
namespace {

const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9, 1e10,
                         1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20};

bool isDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

// Fast path for the usual "  -123.45": at most 15 significant digits, so the
// integer and the power of ten are exact and one division rounds correctly.
bool parseSimple(const char* s, size_t n, double* out) {
    size_t i = 0;
    while (i < n && s[i] == ' ') ++i;
    bool neg = false;
    if (i < n && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    int64_t mant = 0;
    int digits = 0, frac = 0;
    bool dot = false, any = false;
    for (; i < n; ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            if (++digits > 15) return false;
            mant = mant * 10 + (c - '0');
            if (dot) ++frac;
            any = true;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    while (i < n && s[i] == ' ') ++i;
    if (!any || i != n) return false;
    double v = double(mant) / kPow10[frac];
    *out = neg ? -v : v;
    return true;
}

// Right-aligns `text` in the field; false when it does not fit.
bool putRight(uint8_t* p, const FieldDesc& f, const char* text, size_t len) {
    if (len > f.length) return false;
    std::memset(p, ' ', f.length - len);
    std::memcpy(p + f.length - len, text, len);
    return true;
}

// Formats value with `dec` decimals into buf (at least 64 bytes).
size_t formatFixed(char* buf, double value, int dec) {
    double scaled = std::fabs(value) * kPow10[dec];
    if (scaled < 1e15) {
        auto n = uint64_t(scaled + 0.5);  // scaled >= 0: rounds half up like llround
        bool zero = n == 0;
        char tmp[40];
        int k = 0;
        if (n <= 0xFFFFFFFFu) {  // 32-bit division is much cheaper
            auto m = uint32_t(n);
            for (int d = 0; d < dec; ++d, m /= 10) tmp[k++] = char('0' + m % 10);
            if (dec > 0) tmp[k++] = '.';
            do {
                tmp[k++] = char('0' + m % 10);
                m /= 10;
            } while (m > 0);
        } else {
            for (int d = 0; d < dec; ++d, n /= 10) tmp[k++] = char('0' + n % 10);
            if (dec > 0) tmp[k++] = '.';
            do {
                tmp[k++] = char('0' + n % 10);
                n /= 10;
            } while (n > 0);
        }
        size_t len = 0;
        if (value < 0 && !zero) buf[len++] = '-';
        while (k > 0) buf[len++] = tmp[--k];
        return len;
    }
    int len = std::snprintf(buf, 64, "%.*f", dec, value);
    return len < 0 ? 0 : size_t(len);
}

}  // namespace

int32_t julianFromText(std::string_view s) {
    return runtime::STOD(s).julian;
}

std::string textFromJulian(int32_t julian) {
    if (julian <= 0) return std::string();
    int y, m, d;
    runtime::ymdFromJulian(julian, &y, &m, &d);
    if (y < 0 || y > 9999) return std::string();
    char buf[8] = {char('0' + y / 1000), char('0' + y / 100 % 10), char('0' + y / 10 % 10),
                   char('0' + y % 10),   char('0' + m / 10),       char('0' + m % 10),
                   char('0' + d / 10),   char('0' + d % 10)};
    return std::string(buf, 8);
}

bool parseNumberText(std::string_view text, double* value) {
    if (parseSimple(text.data(), text.size(), value)) return true;
    std::string s(text);
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return false;
    char* end = nullptr;
    double v = std::strtod(s.c_str() + b, &end);
    while (end && *end == ' ') ++end;
    if (!end || *end != '\0' || end == s.c_str() + b) return false;
    *value = v;
    return true;
}

double readNumber(const uint8_t* p, const FieldDesc& f) {
    switch (f.type) {
        case 'I':
            return double(int32_t(getU32le(p)));
        case 'B': {
            double v;
            uint64_t bits = getU64le(p);
            std::memcpy(&v, &bits, 8);
            return std::isfinite(v) ? v : 0.0;
        }
        case 'Y':
            return double(int64_t(getU64le(p))) / 10000.0;
        case 'N':
        case 'F': {
            double v = 0;
            if (!parseSimple(reinterpret_cast<const char*>(p), f.length, &v) &&
                !parseNumberText(std::string_view(reinterpret_cast<const char*>(p), f.length), &v))
                return 0.0;  // blank, or stars of an overflowed value
            return v;
        }
        default:
            return 0.0;
    }
}

bool readLogical(const uint8_t* p, const FieldDesc&) {
    return p[0] == 'T' || p[0] == 't' || p[0] == 'Y' || p[0] == 'y';
}

int32_t readJulian(const uint8_t* p, const FieldDesc& f) {
    if (f.type == 'T') return int32_t(getU32le(p)) > 0 ? int32_t(getU32le(p)) : 0;
    if (f.type != 'D') return 0;
    return julianFromText(std::string_view(reinterpret_cast<const char*>(p), 8));
}

int32_t readMillis(const uint8_t* p, const FieldDesc& f) {
    return f.type == 'T' ? int32_t(getU32le(p + 4)) : 0;
}

uint32_t readMemoBlock(const uint8_t* p, const FieldDesc& f) {
    if (f.length == 4) return getU32le(p);
    uint64_t v = 0;
    for (uint16_t i = 0; i < f.length; ++i) {
        if (p[i] == ' ' || p[i] == 0) continue;
        if (!isDigit(p[i])) return 0;
        v = v * 10 + (p[i] - '0');
        if (v > 0xFFFFFFFFu) return 0;
    }
    return uint32_t(v);
}

Status writeNumber(uint8_t* p, const FieldDesc& f, double value) {
    const Status tooWide(kValueTooWide, "value does not fit the field");
    if (!std::isfinite(value)) return tooWide;
    switch (f.type) {
        case 'I': {
            double r = std::nearbyint(value);
            if (r < -2147483648.0 || r > 2147483647.0) return tooWide;
            putU32le(p, uint32_t(int32_t(r)));
            return Status();
        }
        case 'B': {
            uint64_t bits;
            std::memcpy(&bits, &value, 8);
            putU64le(p, bits);
            return Status();
        }
        case 'Y': {
            double r = std::nearbyint(value * 10000.0);
            if (std::fabs(r) >= 9.2e18) return tooWide;
            putU64le(p, uint64_t(int64_t(r)));
            return Status();
        }
        case 'N':
        case 'F': {
            char buf[80];
            int dec = f.decimals > 18 ? 18 : f.decimals;
            if (dec >= f.length) dec = 0;
            size_t len = formatFixed(buf, value, dec);
            return putRight(p, f, buf, len) ? Status() : tooWide;
        }
        default:
            return Status(kTypeMismatch, "not a numeric field");
    }
}

void writeLogical(uint8_t* p, const FieldDesc&, bool value) {
    p[0] = value ? 'T' : 'F';
}

void writeJulian(uint8_t* p, const FieldDesc& f, int32_t julian) {
    if (f.type == 'T') {
        putU32le(p, uint32_t(julian > 0 ? julian : 0));
        putU32le(p + 4, 0);
        return;
    }
    std::string t = textFromJulian(julian);
    if (t.empty()) t.assign(8, ' ');
    std::memcpy(p, t.data(), 8);
}

void writeDateTime(uint8_t* p, const FieldDesc& f, int32_t julian, int32_t millis) {
    if (f.type != 'T') {
        writeJulian(p, f, julian);
        return;
    }
    putU32le(p, uint32_t(julian > 0 ? julian : 0));
    putU32le(p + 4, uint32_t(millis));
}

int64_t readCurrency(const uint8_t* p, const FieldDesc& f) {
    return f.type == 'Y' ? int64_t(getU64le(p)) : 0;
}

void writeCurrency(uint8_t* p, const FieldDesc&, int64_t tenThousandths) {
    putU64le(p, uint64_t(tenThousandths));
}

void writeMemoBlock(uint8_t* p, const FieldDesc& f, uint32_t block) {
    if (f.length == 4) {
        putU32le(p, block);
        return;
    }
    if (block == 0) {
        std::memset(p, ' ', f.length);
        return;
    }
    // Digits by hand: this runs for every copied record with a memo, and the
    // C library's formatted print is costly where it is not native.
    char buf[10];
    size_t len = 0;
    for (; block != 0; block /= 10) buf[sizeof buf - ++len] = char('0' + block % 10);
    putRight(p, f, buf + sizeof buf - len, len);
}

void writeText(uint8_t* p, const FieldDesc& f, std::string_view text) {
    size_t n = text.size() < f.length ? text.size() : f.length;
    std::memcpy(p, text.data(), n);
    std::memset(p + n, ' ', f.length - n);
}

bool writeVarText(uint8_t* p, const FieldDesc& f, std::string_view text, bool canMarkLength) {
    if (!canMarkLength || text.size() >= f.length) {
        writeText(p, f, text);
        return false;
    }
    std::memcpy(p, text.data(), text.size());
    std::memset(p + text.size(), 0, f.length - text.size());
    p[f.length - 1] = uint8_t(text.size());
    return true;
}

void writeBlank(uint8_t* p, const FieldDesc& f) {
    switch (f.type) {
        case 'I':
        case 'B':
        case 'Y':
        case 'T':
        case '0':
            std::memset(p, 0, f.length);
            break;
        case 'M':
        case 'G':
        case 'P':
        case 'W':
            if (f.length == 4)
                std::memset(p, 0, 4);
            else
                std::memset(p, ' ', f.length);
            break;
        default:
            std::memset(p, ' ', f.length);
    }
}

}  // namespace engine
