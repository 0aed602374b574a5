// Reading the corpus's .expected.csv files and rendering our field values
// the way those files write them (UTF-8 text, ISO dates, hex for bytes).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine::test {

// Rows of a CSV text (quoted fields may hold commas, quotes and newlines).
std::vector<std::vector<std::string>> readCsv(std::string_view text);
// Table bytes as UTF-8: Windows-1252 when `cp1252`, else Latin-1.
std::string renderText(std::string_view bytes, bool cp1252);
// Without trailing blanks and NULs.
std::string rstripBlanks(std::string_view s);
std::string hex(std::string_view bytes);
// "YYYYMMDD" -> "YYYY-MM-DD"; "" -> "\N".
std::string renderDate(const std::string& yyyymmdd);
// The 8 raw bytes of a T field -> "YYYY-MM-DDTHH:MM:SS.mmm", "\N" for day 0.
std::string renderDateTime(std::string_view raw);
// A V or Q value (ours has its stored length applied) against the
// expected raw field, which keeps the length byte at its end.
bool sameVarField(const std::string& ours, const std::string& expected, bool cp1252);

// Opens `dbf` read-only and expects every record (physical order, delete
// flag, every user field) to match the CSV written by the dbfread oracle.
void expectTableMatchesCsv(const std::string& dbf, const std::string& csvPath);

}  // namespace engine::test
