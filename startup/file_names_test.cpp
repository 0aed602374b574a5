// Tests of the file-name functions in both path styles, and of LISDIR.
#include "startup/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "os/fs.h"
#include "os/process.h"
#include "runtime/codepage.h"

namespace startup {
namespace {

constexpr PathStyle kWin = PathStyle::kWindows;
constexpr PathStyle kPosix = PathStyle::kPosix;

TEST(FileNamesTest, FolderPartEndsInBackslashOrIsDriveAndBackslash) {
    EXPECT_EQ(CFILEPATH("C:\\DATOS\\Empresa.dbf", kWin), "C:\\DATOS\\");
    EXPECT_EQ(CFILEPATH("Empresa.dbf", kWin), "\\");
    EXPECT_EQ(CFILEPATH("c:Empresa.dbf", kWin), "C:\\");
    EXPECT_EQ(CFILEPATH("", kWin), "\\");
    // Windows takes only the backslash; POSIX takes both separators.
    EXPECT_EQ(CFILEPATH("datos/emp/Diario.dbf", kWin), "\\");
    EXPECT_EQ(CFILEPATH("/home/ana/emp\\Diario.dbf", kPosix), "/HOME/ANA/EMP\\");
    EXPECT_EQ(CFILEPATH("/home/ana/Diario.dbf", kPosix), "/HOME/ANA/");
}

TEST(FileNamesTest, DriveOnlyWhenColonStandsSecond) {
    EXPECT_EQ(CFILEDISC("c:\\datos", kWin), "C:");
    EXPECT_EQ(CFILEDISC("\\datos", kWin), "");
    EXPECT_EQ(CFILEDISC("ab:c", kWin), "");
    EXPECT_EQ(CFILEDISC("c", kWin), "");
}

TEST(FileNamesTest, NameAfterLastSeparatorElseAfterColon) {
    EXPECT_EQ(CFILENOPATH("C:\\DATOS\\Empresa.dbf", kWin), "EMPRESA.DBF");
    EXPECT_EQ(CFILENOPATH("C:\\DATOS\\", kWin), "\\DATOS\\");
    EXPECT_EQ(CFILENOPATH("\\DATOS\\", kWin), "\\DATOS\\");
    EXPECT_EQ(CFILENOPATH("c:empresa", kWin), "EMPRESA");
    EXPECT_EQ(CFILENAME("empresa", kWin), "EMPRESA");
    EXPECT_EQ(CFILENOPATH("/srv/datos/empresa.dbf", kPosix), "EMPRESA.DBF");
}

TEST(FileNamesTest, ExtensionAndBaseName) {
    EXPECT_EQ(CFILENOEXT("C:\\DATOS\\Diario.old.dbf", kWin), "DIARIO");
    EXPECT_EQ(CFILEEXT("C:\\DATOS\\Diario.old.dbf", kWin), "DBF");
    EXPECT_EQ(CFILENOEXT("C:\\DATOS\\ Diario .dbf", kWin), "DIARIO");
    EXPECT_EQ(CFILEEXT("C:\\DATOS\\Diario.", kWin), "");
    EXPECT_EQ(CFILEEXT("C:\\DATOS\\Diario", kWin), "");
    EXPECT_EQ(CFILENOEXT("C:\\DATOS\\Diario", kWin), "DIARIO");
    // A full stop in a folder name is not an extension.
    EXPECT_EQ(CFILEEXT("C:\\V1.2\\Diario", kWin), "");
}

TEST(FileNamesTest, MaskOnlyWhenNameHasWildcards) {
    EXPECT_EQ(CFILEMASK("C:\\DATOS\\*.dbf", kWin), "*.DBF");
    EXPECT_EQ(CFILEMASK("C:\\DATOS\\Emp0?.dbf", kWin), "EMP0?.DBF");
    EXPECT_EQ(CFILEMASK("C:\\DATOS\\Empresa.dbf", kWin), "");
}

TEST(FileNamesTest, ParentFolderOfAFolder) {
    EXPECT_EQ(CFILESUBDIR("C:\\Datos\\Emp01\\", kWin), "C:\\DATOS\\");
    EXPECT_EQ(CFILESUBDIR("C:\\Datos\\Emp01", kWin), "C:\\DATOS\\");
    EXPECT_EQ(CFILESUBDIR("C:\\", kWin), "C:\\");
    EXPECT_EQ(CFILESUBDIR("/srv/datos/emp01/", kPosix), "/SRV/DATOS/");
}

TEST(FileNamesTest, UpperCasingFollowsTheStyle) {
    // Windows: the code page's letters; POSIX: ASCII only, so that a UTF-8
    // name (bytes C3 B1 for "n tilde") keeps its bytes.
    std::string before = runtime::HB_SETCODEPAGE("ESWIN");
    EXPECT_EQ(CFILENOPATH("C:\\a\\cami\xF3n", kWin), "CAMI\xD3N");
    runtime::HB_SETCODEPAGE(before);
    EXPECT_EQ(CFILENOPATH("/a/cami\xC3\xB1o", kPosix), "CAMI\xC3\xB1O");
}

TEST(FileNamesTest, IsDirLeavesCurrentDirectoryAlone) {
    namespace fs = std::filesystem;
    fs::path dir =
        fs::temp_directory_path() / ("startup_lisdir_" + std::to_string(os::processId()));
    fs::create_directories(dir);
    std::string before = os::currentDirectory().value();
    EXPECT_TRUE(LISDIR(dir.string()));
    EXPECT_EQ(os::currentDirectory().value(), before);
    EXPECT_FALSE(LISDIR((dir / "missing").string()));
    EXPECT_FALSE(LISDIR(""));
    EXPECT_EQ(os::currentDirectory().value(), before);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace startup
