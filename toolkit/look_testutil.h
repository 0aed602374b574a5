// Fixture of the look-settings tests: the table layer's fixture with the
// start and report folders in its temp folder, a user logged in, and no
// setting stored before or after.
#pragma once

#include <string>

#include "startup/settings_record.h"
#include "tables/tables_testutil.h"
#include "toolkit/look_tables.h"

namespace toolkit::test {

class LookSettingsTest : public tables::testing::TablesTest {
protected:
    explicit LookSettingsTest(std::string user = "01") : user_(std::move(user)) {}
    void SetUp() override {
        TablesTest::SetUp();
        clearLookSettings();
        startup::CPATHSTART(dir_.string() + "/");
        startup::CPATHINFORME(dir_.string() + "/");
        CCODUSER(user_);
    }
    void TearDown() override {
        clearLookSettings();
        CCODUSER("");
        startup::clearStartupRecord();
        TablesTest::TearDown();
    }
    std::string user_;
};

}  // namespace toolkit::test
