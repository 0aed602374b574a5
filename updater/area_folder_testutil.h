// A fixture for tests over small tables opened in work areas: a fresh
// folder under the system temp folder and the "ADS" driver as the default;
// every area is closed and the folder removed after each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "os/process.h"
#include "tables/dbcmd.h"
#include "tables/rdd.h"
#include "tables/workarea.h"

namespace updater::testing {

class AreaFolderTest : public ::testing::Test {
protected:
    explicit AreaFolderTest(const std::string& name)
        : dir_(std::filesystem::temp_directory_path() /
               (name + "_" + std::to_string(os::processId()))) {}
    void SetUp() override {
        std::filesystem::create_directories(dir_);
        tables::RDDREGISTER("ADS", tables::kRddTable);
        tables::RDDSETDEFAULT("ADS");
    }
    void TearDown() override {
        tables::DBCLOSEALL();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::filesystem::path dir_;
};

}  // namespace updater::testing
