// Tests of the settings table: lookup by number and name, value coercion,
// the century link with DATEFORMAT, and change hooks.
#include "runtime/settings.h"

#include <gtest/gtest.h>

#include <vector>

namespace runtime {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { resetSettings(); }
    void TearDown() override {
        for (int id : hooks_) removeSettingHook(id);
        resetSettings();
    }
    void record() {
        hooks_.push_back(addSettingHook([this](Set id, const Value& v) {
            changes_.push_back({id, v});
        }));
    }
    std::vector<std::pair<Set, Value>> changes_;
    std::vector<int> hooks_;
};

TEST_F(SettingsTest, NumbersAndNamesAgree) {
    EXPECT_EQ(settingByName("confirm"), Set::Confirm);
    EXPECT_EQ(static_cast<int>(Set::Confirm), 27);
    EXPECT_EQ(settingByName("DATE"), Set::DateFormat);
    EXPECT_EQ(settingByName("NOSUCH"), std::nullopt);
    EXPECT_EQ(settingByNumber(39), std::nullopt);
    for (int n = kFirstSetting; n <= kLastSetting; ++n) {
        Set id = *settingByNumber(n);
        EXPECT_EQ(settingByName(settingName(id)), id) << n;
    }
    EXPECT_TRUE(SET(99).isNil());
}

TEST_F(SettingsTest, DefaultsBeforeStartup) {
    EXPECT_FALSE(isExact());
    EXPECT_TRUE(isExclusive());
    EXPECT_FALSE(isDeleted());
    EXPECT_FALSE(isCentury());
    EXPECT_EQ(epochYear(), 1900);
    EXPECT_EQ(dateFormat(), "mm/dd/yy");
    EXPECT_TRUE(SET(Set::Scoreboard).logical());
}

TEST_F(SettingsTest, SetReturnsOldValueAndCoercesOnOff) {
    EXPECT_FALSE(SET(Set::Deleted, "ON").logical());
    EXPECT_TRUE(isDeleted());
    EXPECT_TRUE(SET(27, "off").isLogical());
    EXPECT_FALSE(SET(Set::Confirm).logical());
    SET(Set::Epoch, "1920");  // wrong type: ignored
    EXPECT_EQ(epochYear(), 1900);
    SET(Set::Exact, "MAYBE");
    EXPECT_FALSE(isExact());
    SET(Set::Epoch, 1920);
    EXPECT_EQ(epochYear(), 1920);
    SET(Set::Epoch, 1e12);  // absurd values are read clamped
    EXPECT_EQ(epochYear(), 9900);
    SET(Set::Decimals, -3);
    EXPECT_EQ(decimalsSetting(), 0);
}

TEST_F(SettingsTest, CenturyAndDateFormatFollowEachOther) {
    SET(Set::DateFormat, "dd-mm-yy");
    EXPECT_FALSE(isCentury());
    SETCENTURY(true);
    EXPECT_EQ(dateFormat(), "dd-mm-yyyy");
    SETCENTURY(false);
    EXPECT_EQ(dateFormat(), "dd-mm-yy");
    SET(Set::DateFormat, "yyyy/mm/dd");
    EXPECT_TRUE(isCentury());
}

TEST_F(SettingsTest, HooksHearEveryStoreAndCanBeRemoved) {
    record();
    SET(Set::Exact, true);
    SET(Set::Exact);  // a read stores nothing
    SETCENTURY(true);
    SET(Set::Epoch, "bad");
    ASSERT_EQ(changes_.size(), 2u);
    EXPECT_EQ(changes_[0].first, Set::Exact);
    EXPECT_TRUE(changes_[0].second.logical());
    EXPECT_EQ(changes_[1].first, Set::DateFormat);
    EXPECT_EQ(changes_[1].second.text(), "mm/dd/yyyy");
    removeSettingHook(hooks_.back());
    SET(Set::Exact, false);
    EXPECT_EQ(changes_.size(), 2u);
}

}  // namespace
}  // namespace runtime
