// Tests of the current-directory routines and their alert when the platform
// library cannot be loaded.
#include "startup/current_directory.h"

#include <gtest/gtest.h>

#include "os/fs.h"
#include "runtime/alert.h"
#include "startup/arranque.h"
#include "startup/settings_record.h"
#include "startup/startup_testutil.h"

namespace startup {
namespace {

using CurrentDirectoryTest = StartupStateTest;

TEST_F(CurrentDirectoryTest, ChangesAndReadsTheDirectory) {
    std::filesystem::path dir = makeTempFolder("cd");
    EXPECT_EQ(SETCURRENTDIRECTORY(dir.string()), std::optional<bool>(true));
    std::string now = os::currentDirectory().value();
    EXPECT_TRUE(sameFolder(now, dir.string()));
    EXPECT_EQ(SETCURRENTDIRECTORY((dir / "missing").string()), std::optional<bool>(false));
    EXPECT_EQ(os::currentDirectory().value(), now);

    std::string text = "unchanged";
    EXPECT_EQ(GETCURRENTDIRECTORY(static_cast<uint32_t>(now.size()), text), now.size() + 1);
    EXPECT_EQ(text, "unchanged") << "too small a buffer leaves the text alone";
    EXPECT_EQ(GETCURRENTDIRECTORY(260, text), now.size());
    EXPECT_EQ(text, now);
}

TEST_F(CurrentDirectoryTest, UnloadableLibraryShowsAlertAndReturnsNothing) {
    runtime::RecordingAlertUi alerts;
    runtime::ScopedAlertUi scoped(alerts);
    setLibraryLoader([](std::string_view) { return intptr_t{-2}; });
    std::string before = os::currentDirectory().value();
    std::filesystem::path dir = makeTempFolder("cd2");

    EXPECT_FALSE(SETCURRENTDIRECTORY(dir.string()).has_value());
    std::string text;
    EXPECT_FALSE(GETCURRENTDIRECTORY(260, text).has_value());
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[0].message, "Error code: -2 loading Kernel32");
    EXPECT_EQ(os::currentDirectory().value(), before);
    EXPECT_TRUE(text.empty());
}

TEST_F(CurrentDirectoryTest, LoadResultsAbove32CountAsLoaded) {
    runtime::RecordingAlertUi alerts;
    runtime::ScopedAlertUi scoped(alerts);
    setLibraryLoader([](std::string_view) { return intptr_t{32}; });
    EXPECT_FALSE(SETCURRENTDIRECTORY(".").has_value());
    setLibraryLoader([](std::string_view) { return intptr_t{33}; });
    EXPECT_EQ(SETCURRENTDIRECTORY("."), std::optional<bool>(true));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].message, "Error code: 32 loading Kernel32");
}

TEST_F(CurrentDirectoryTest, StartUpGoesOnWhereItIsWhenTheLibraryFails) {
    runtime::RecordingAlertUi alerts;
    runtime::ScopedAlertUi scoped(alerts);
    std::filesystem::path dir = makeTempFolder("stay");
    ASSERT_TRUE(os::setCurrentDirectory(dir.string()).ok());
    std::string before = os::currentDirectory().value();
    setLibraryLoader([](std::string_view) { return intptr_t{0}; });

    ARRANQUE();

    EXPECT_EQ(os::currentDirectory().value(), before);
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].message, "Error code: 0 loading Kernel32");
    EXPECT_TRUE(CPATHSTART().has_value());
}

TEST_F(CurrentDirectoryTest, ShortPathOfMissingPathIsEmpty) {
    std::filesystem::path dir = makeTempFolder("short");
    EXPECT_EQ(GETPATHSHORT((dir / "none.dbf").string()), "");
    EXPECT_FALSE(GETPATHSHORT(dir.string()).empty());
}

}  // namespace
}  // namespace startup
