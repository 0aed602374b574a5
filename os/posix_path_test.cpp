// Tests of resolvePath's POSIX spelling rules (Windows passes paths through).
#include <gtest/gtest.h>

#include <fstream>

#include "os/fs.h"
#include "os/os_testutil.h"
#include "os/path.h"

namespace os {
namespace {

TEST(PosixPathTest, BackslashesBecomeSeparators) {
    EXPECT_EQ(resolvePath("NoSuch\\Emp01\\TDiaNew.dbf"), "NoSuch/Emp01/TDiaNew.dbf");
    EXPECT_EQ(resolvePath("\\NoSuchRoot\\X\\"), "/NoSuchRoot/X/");
    EXPECT_EQ(resolvePath("a\\\\b//c"), "a/b/c");
    EXPECT_EQ(resolvePath(""), "");
}

TEST(PosixPathTest, ResolvesExistingPartsAndKeepsTheRest) {
    test::TempFolder dir;
    ASSERT_TRUE(makeFolder(dir.file("DATOS")).ok());
    test::writeWholeFile(dir.file("DATOS/EMPRESA.DBF"), "x");
    EXPECT_EQ(resolvePath(dir.path() + "\\datos\\empresa.dbf"), dir.path() + "/DATOS/EMPRESA.DBF");
    // From the first missing component on, the spelling is the caller's,
    // even where a later name would match something.
    EXPECT_EQ(resolvePath(dir.path() + "\\datos\\New\\datos"), dir.path() + "/DATOS/New/datos");
    EXPECT_EQ(resolvePath(dir.path() + "/datos/./../Datos/"), dir.path() + "/DATOS/./../DATOS/");
}

TEST(PosixPathTest, ExactMatchWinsThenFirstInByteOrder) {
    test::TempFolder dir;
    // Written around resolvePath, which would find the first file again.
    for (const char* name : {"abc.dbf", "ABC.dbf", "Abc.dbf"})
        std::ofstream(dir.file(name)) << name;
    EXPECT_EQ(resolvePath(dir.file("abc.dbf")), dir.file("abc.dbf"));
    EXPECT_EQ(resolvePath(dir.file("Abc.dbf")), dir.file("Abc.dbf"));
    EXPECT_EQ(resolvePath(dir.file("ABC.DBF")), dir.file("ABC.dbf"));
    std::ofstream(dir.file("A\xD1O.DBF")) << "year";  // Windows-1252 capital N tilde
    EXPECT_EQ(resolvePath(dir.file("a\xF1o.dbf")), dir.file("A\xD1O.DBF"));
    std::ofstream(dir.file("A\xD7O.DBF")) << "times";  // multiplication sign: not a letter
    EXPECT_EQ(resolvePath(dir.file("a\xF7o.dbf")), dir.file("a\xF7o.dbf"));
}

}  // namespace
}  // namespace os
