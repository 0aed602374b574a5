// Test fixture for the error handler: a fresh temporary current folder, the
// handler installed with a scripted dialog, a chosen engine error code and
// no work areas.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "errors/scripted_dialog.h"
#include "runtime/error.h"

namespace errors {

// An error as a table driver raises it: generic code, sub-code, subsystem,
// file name and OS code; severity 2, no retry or default permission.
inline runtime::ErrorFields errorFields(int genCode, int subCode, std::string subSystem,
                                        std::string fileName = "", int osCode = 0) {
    runtime::ErrorFields def;
    def.genCode = genCode;
    def.subCode = subCode;
    def.subSystem = std::move(subSystem);
    def.fileName = std::move(fileName);
    def.osCode = osCode;
    return def;
}

class HandlerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Raises an error through the runtime's launcher, as a failing operation does.
    runtime::ErrorOutcome raise(const runtime::ErrorFields& def);
    // Raises and expects the program to end; returns the exit code.
    int raiseExpectingExit(const runtime::ErrorFields& def);

    bool logExists() const;
    std::string readLog() const;
    std::filesystem::path folder() const { return folder_; }

    std::shared_ptr<ScriptedDialog> dialog_;
    int engineCode_ = 0;
    int releases_ = 0;

private:
    std::filesystem::path folder_;
    std::string previousFolder_;
    std::shared_ptr<ErrorDialog> previousDialog_;
};

}  // namespace errors
