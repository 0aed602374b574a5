// The installation's root, template folder and company folders.
#include "updater/installation_paths.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(PathsTest, RootTemplateAndCompanyFolders) {
    EXPECT_EQ(installRoot("C:\\PROG\\EXE"), "C:\\PROG");
    EXPECT_EQ(templateFolderOf("C:\\PROG"), "C:\\PROG\\DBF\\");
    EXPECT_EQ(companyFolderOf("C:\\PROG", "0 1"), "C:\\PROG\\DBF001\\");
    EXPECT_EQ(companyFolderOf("C:\\PROG", " 1 "), "C:\\PROG\\DBF010\\");  // not trimmed
    EXPECT_EQ(installRoot("abc"), "");
}

}  // namespace
}  // namespace updater
