// Tests of the console's encoding: which locales get UTF-8, the conversion
// of Windows-1252, and status lines that other output closes first.
#include "runtime/console_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace runtime {
namespace {

std::string contents(std::FILE* f) {
    std::rewind(f);
    std::string out;
    for (int c; (c = std::fgetc(f)) != EOF;) out += static_cast<char>(c);
    return out;
}

TEST(ConsoleTextTest, LocaleChoosesTheEncoding) {
    EXPECT_EQ(encodingForLocale("", "", ""), ConsoleEncoding::kUtf8);
    EXPECT_EQ(encodingForLocale("", "", "C"), ConsoleEncoding::kUtf8);
    EXPECT_EQ(encodingForLocale("", "", "es_ES.UTF-8"), ConsoleEncoding::kUtf8);
    EXPECT_EQ(encodingForLocale("", "", "es_ES.ISO-8859-1"), ConsoleEncoding::kWindows1252);
    EXPECT_EQ(encodingForLocale("", "", "es_ES.iso885915@euro"), ConsoleEncoding::kWindows1252);
    EXPECT_EQ(encodingForLocale("", "es_ES.CP1252", "es_ES.UTF-8"), ConsoleEncoding::kWindows1252);
    // LC_ALL wins over the others.
    EXPECT_EQ(encodingForLocale("es_ES.utf8", "es_ES.CP1252", "es_ES.ISO-8859-1"),
              ConsoleEncoding::kUtf8);
}

TEST(ConsoleTextTest, Windows1252BecomesUtf8) {
    EXPECT_EQ(toUtf8("Descripci\xF3n \xD1u \x80 abc"),
              "Descripci\xC3\xB3n \xC3\x91u \xE2\x82\xAC abc");
    EXPECT_EQ(toUtf8("\x81\x9D"), "\xEF\xBF\xBD\xEF\xBF\xBD");  // unassigned bytes
    EXPECT_EQ(consoleText("Atenci\xF3n", ConsoleEncoding::kWindows1252), "Atenci\xF3n");
}

TEST(ConsoleTextTest, WritingEndsAnOpenStatusLineFirst) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out && err);
    consoleStatus(out, "  50%", ConsoleEncoding::kUtf8);
    consoleStatus(out, "  6%", ConsoleEncoding::kUtf8);
    // An error message on another stream starts on a line of its own.
    consoleWrite(err, "Atenci\xF3n\n", ConsoleEncoding::kUtf8);
    consoleEndStatus();  // nothing open any more: nothing written
    EXPECT_EQ(contents(out), "\r  50%\r  6% \n");
    EXPECT_EQ(contents(err), "Atenci\xC3\xB3n\n");
    std::fclose(out);
    std::fclose(err);
}

}  // namespace
}  // namespace runtime
