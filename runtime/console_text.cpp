// Console encoding and the conversion of Windows-1252 text for it.
#include "runtime/console_text.h"

#include <cctype>

namespace runtime {
namespace {

// A character set name without case, dashes or underscores ("ISO-8859-1"
// and "iso88591" are the same).
std::string plainCharset(std::string_view name) {
    std::string out;
    for (char c : name)
        if (c != '-' && c != '_')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

ConsoleEncoding encodingForLocale(std::string_view lcAll, std::string_view lcCtype,
                                  std::string_view lang) {
    std::string_view locale = !lcAll.empty() ? lcAll : !lcCtype.empty() ? lcCtype : lang;
    // "language_TERRITORY.charset@modifier"
    size_t dot = locale.find('.');
    if (dot == std::string_view::npos) return ConsoleEncoding::kUtf8;
    std::string_view charset = locale.substr(dot + 1);
    charset = charset.substr(0, charset.find('@'));
    std::string plain = plainCharset(charset);
    if (plain == "iso88591" || plain == "iso885915" || plain == "cp1252" ||
        plain == "windows1252" || plain == "latin1")
        return ConsoleEncoding::kWindows1252;
    return ConsoleEncoding::kUtf8;
}

namespace {
std::optional<ConsoleEncoding> g_override;
}  // namespace

ConsoleEncoding consoleEncoding() {
    return g_override ? *g_override : platformConsoleEncoding();
}

void overrideConsoleEncoding(std::optional<ConsoleEncoding> encoding) {
    g_override = encoding;
}

std::string toUtf8(std::string_view text) {
    // 0x80..0x9F hold the typographic characters of Windows-1252; the rest
    // of the upper half is Latin-1.
    static const char16_t k80[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        char32_t u = c < 0x80 ? c : c < 0xA0 ? k80[c - 0x80] : c;
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x800) {
            out += static_cast<char>(0xC0 | (u >> 6));
            out += static_cast<char>(0x80 | (u & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (u >> 12));
            out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (u & 0x3F));
        }
    }
    return out;
}

std::string consoleText(std::string_view text, ConsoleEncoding encoding) {
    return encoding == ConsoleEncoding::kUtf8 ? toUtf8(text) : std::string(text);
}

std::string consoleText(std::string_view text) {
    return consoleText(text, consoleEncoding());
}

namespace {

// The status line left open, if any: its stream and its width in characters.
struct OpenStatus {
    std::FILE* out = nullptr;
    size_t width = 0;
};
OpenStatus g_status;

}  // namespace

void consoleEndStatus(std::FILE* out) {
    if (!g_status.out || (out && out != g_status.out)) return;
    std::fputc('\n', g_status.out);
    std::fflush(g_status.out);
    g_status = {};
}

void consoleWrite(std::FILE* out, std::string_view text, ConsoleEncoding encoding) {
    consoleEndStatus();
    std::string converted = consoleText(text, encoding);
    std::fwrite(converted.data(), 1, converted.size(), out);
}

void consoleWrite(std::FILE* out, std::string_view text) {
    consoleWrite(out, text, consoleEncoding());
}

void consoleStatus(std::FILE* out, std::string_view text, ConsoleEncoding encoding) {
    if (g_status.out && g_status.out != out) consoleEndStatus();
    std::string line = "\r" + consoleText(text, encoding);
    // One Windows-1252 byte is one character on the screen.
    if (g_status.width > text.size()) line.append(g_status.width - text.size(), ' ');
    std::fwrite(line.data(), 1, line.size(), out);
    std::fflush(out);
    g_status = {out, text.size()};
}

}  // namespace runtime
