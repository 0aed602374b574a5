// Tests of path spelling as every platform must honour it: backslash
// separators, existing names found without regard to case, new names kept
// as written.
#include "os/path.h"

#include <gtest/gtest.h>

#include "os/file.h"
#include "os/fs.h"
#include "os/os_testutil.h"

namespace os {
namespace {

class PathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeFolder(dir_.file("DATOS")).ok());
        ASSERT_TRUE(makeFolder(dir_.file("DATOS\\EMP01")).ok());
        test::writeWholeFile(dir_.file("DATOS\\EMP01\\EMPRESA.DBF"), "company");
    }
    test::TempFolder dir_;
};

TEST_F(PathTest, ExistingComponentsMatchWithoutCase) {
    EXPECT_EQ(test::readWholeFile(dir_.file("datos\\Emp01\\Empresa.Dbf")), "company");
    EXPECT_EQ(test::readWholeFile(dir_.file("Datos/emp01/empresa.dbf")), "company");
    EXPECT_TRUE(fileExists(dir_.file("dAtOs\\EMP01\\empresa.DBF")));
    EXPECT_TRUE(folderExists(dir_.file("datos\\emp01")));
}

TEST_F(PathTest, NewFileKeepsItsSpellingInAnExistingFolder) {
    test::writeWholeFile(dir_.file("datos\\emp01\\TDiaNew.dbf"), "new");
    EXPECT_EQ(test::folderNames(dir_.file("DATOS\\EMP01")),
              (std::vector<std::string>{"EMPRESA.DBF", "TDiaNew.dbf"}));
}

TEST_F(PathTest, OperationsFindFilesWithoutCase) {
    ASSERT_TRUE(
        copyFile(dir_.file("datos\\emp01\\empresa.dbf"), dir_.file("datos\\Copia.dbf")).ok());
    ASSERT_TRUE(renameFile(dir_.file("DATOS\\copia.DBF"), dir_.file("Datos\\Otra.dbf")).ok());
    ASSERT_TRUE(
        copyFile(dir_.file("DATOS\\Emp01\\Empresa.dbf"), dir_.file("datos\\OTRA.DBF")).ok());
    // The copy replaced the file found without regard to case; no second file.
    EXPECT_EQ(test::folderNames(dir_.file("DATOS")),
              (std::vector<std::string>{"EMP01", "Otra.dbf"}));
    ASSERT_TRUE(eraseFile(dir_.file("datos\\otra.dbf")).ok());
    EXPECT_EQ(test::folderNames(dir_.file("DATOS")), std::vector<std::string>{"EMP01"});
}

TEST_F(PathTest, MissingFolderReportedWhateverTheCase) {
    Result<File> f = File::open(dir_.file("datos\\EMP02\\EMPRESA.DBF"), Access::Read, Share::Shared,
                                Disposition::OpenExisting);
    EXPECT_EQ(f.code(), kErrPathNotFound);
    f = File::open(dir_.file("datos\\emp01\\CLIENTES.DBF"), Access::Read, Share::Shared,
                   Disposition::OpenExisting);
    EXPECT_EQ(f.code(), kErrFileNotFound);
}

}  // namespace
}  // namespace os
