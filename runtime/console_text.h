// Text for the console. The program's texts are Windows-1252; a console
// that speaks another encoding gets them converted, so that the progress
// lines, the error dialog and the message boxes read the same there.
// "Error.log" and every table keep Windows-1252: this is for the console only.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace runtime {

enum class ConsoleEncoding {
    kWindows1252,  // bytes as they are (a Windows console, a Latin-1 locale)
    kUtf8,
};

// The encoding of this process's console, decided once from the platform:
// on Windows the program's own code page; elsewhere the locale the
// environment names (LC_ALL, then LC_CTYPE, then LANG): UTF-8 unless it
// names a Latin-1 or Windows-1252 character set.
ConsoleEncoding consoleEncoding();
// For tests: the encoding consoleEncoding() answers from now on; nothing
// goes back to the platform's.
void overrideConsoleEncoding(std::optional<ConsoleEncoding> encoding);
// The platform's answer, without an override (posix_/win32_ files).
ConsoleEncoding platformConsoleEncoding();
// For tests: decides the encoding from these locale variables (empty: not set).
ConsoleEncoding encodingForLocale(std::string_view lcAll, std::string_view lcCtype,
                                  std::string_view lang);

// Windows-1252 text as UTF-8. Bytes that Windows-1252 leaves unassigned
// become U+FFFD.
std::string toUtf8(std::string_view text);

// The text in the given encoding (default: the console's).
std::string consoleText(std::string_view text, ConsoleEncoding encoding);
std::string consoleText(std::string_view text);

// Whether `out` is a terminal (not a file or a pipe).
bool consoleIsTerminal(std::FILE* out);

// Writes the text to `out` in the console's encoding. A status line left
// open is ended first, so the text starts on a line of its own.
void consoleWrite(std::FILE* out, std::string_view text, ConsoleEncoding encoding);
void consoleWrite(std::FILE* out, std::string_view text);

// A status line that redraws in place on a terminal: a carriage return and
// the text, blanks over what the previous status line left. It stays open
// (the cursor at its end) until the next consoleWrite or consoleEndStatus.
void consoleStatus(std::FILE* out, std::string_view text, ConsoleEncoding encoding);
// Ends an open status line with a line feed; nothing when none is open (on
// `out`, when one is given).
void consoleEndStatus(std::FILE* out = nullptr);

}  // namespace runtime
