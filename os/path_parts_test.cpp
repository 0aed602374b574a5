// Tests of the path splitting rules: both separators, drives, names without
// an extension or ending in a full stop, and full stops in folder names.
#include "os/path_parts.h"

#include <gtest/gtest.h>

namespace os {
namespace {

TEST(PathPartsTest, BothSeparatorsAndTheDriveEndTheFolder) {
    EXPECT_EQ(folderOf("C:\\Datos\\Emp01\\TDiaNew.dbf"), "C:\\Datos\\Emp01\\");
    EXPECT_EQ(folderOf("datos/emp01/TDiaNew.dbf"), "datos/emp01/");
    EXPECT_EQ(folderOf("C:\\Datos/Emp01\\x"), "C:\\Datos/Emp01\\");
    EXPECT_EQ(folderOf("C:TDiaNew.dbf"), "C:");
    EXPECT_EQ(fileNameOf("C:TDiaNew.dbf"), "TDiaNew.dbf");
    EXPECT_EQ(folderOf("TDiaNew.dbf"), "");
    EXPECT_EQ(fileNameOf("TDiaNew.dbf"), "TDiaNew.dbf");
    EXPECT_EQ(fileNameOf("C:\\Datos\\"), "");
    EXPECT_EQ(fileNameOf(""), "");
    // A colon elsewhere is no drive.
    EXPECT_EQ(folderOf("1:x"), "");
    EXPECT_TRUE(isAbsolutePath("\\Datos"));
    EXPECT_TRUE(isAbsolutePath("/datos"));
    EXPECT_TRUE(isAbsolutePath("c:Datos"));
    EXPECT_FALSE(isAbsolutePath("Datos\\x"));
    EXPECT_FALSE(isAbsolutePath(""));
}

TEST(PathPartsTest, ExtensionsBelongToTheFileNameOnly) {
    EXPECT_EQ(extensionOf("C:\\Datos\\TDiaNew.dbf"), ".dbf");
    EXPECT_EQ(stemOf("C:\\Datos\\TDiaNew.dbf"), "TDiaNew");
    EXPECT_EQ(extensionOf("Diario.old.dbf"), ".dbf");
    EXPECT_EQ(stemOf("Diario.old.dbf"), "Diario.old");
    // No extension: a full stop in a folder does not count.
    EXPECT_EQ(extensionOf("C:\\Dat.os\\TABLA"), "");
    EXPECT_FALSE(hasExtension("C:\\Dat.os/TABLA"));
    EXPECT_EQ(stemOf("C:\\Dat.os\\TABLA"), "TABLA");
    EXPECT_EQ(withExtension("C:\\Dat.os\\TABLA", ".fpt"), "C:\\Dat.os\\TABLA.fpt");
    EXPECT_EQ(withDefaultExtension("Dat.os/TABLA", ".dbf"), "Dat.os/TABLA.dbf");
    // A trailing full stop is an empty extension: nothing is added.
    EXPECT_EQ(extensionOf("TABLA."), ".");
    EXPECT_TRUE(hasExtension("TABLA."));
    EXPECT_EQ(stemOf("TABLA."), "TABLA");
    EXPECT_EQ(withDefaultExtension("TABLA.", ".dbf"), "TABLA.");
    EXPECT_EQ(withExtension("TABLA.", ".cdx"), "TABLA.cdx");
    EXPECT_EQ(withoutExtension("C:\\Datos\\TDiaNew.DBF"), "C:\\Datos\\TDiaNew");
    EXPECT_EQ(withExtension("TDiaNew.DBF", ".fpt"), "TDiaNew.fpt");
    EXPECT_EQ(withDefaultExtension("TDiaNew.DBF", ".dbf"), "TDiaNew.DBF");
    EXPECT_EQ(withExtension("", ".dbf"), ".dbf");
    EXPECT_EQ(extensionOf("C:\\Datos\\"), "");
}

}  // namespace
}  // namespace os
