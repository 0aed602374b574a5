// Counts the runtime errors raised while a step runs, whatever the error
// handler answers, so that the migration can tell a complete refill from one
// that an error cut short or left with a value missing.
#pragma once

#include <memory>

#include "runtime/value.h"

namespace updater {

// While alive, every error handed to the installed error block is passed on
// to that block unchanged and counted, unless the block answered it
// silently (setting NETERR, as for an open refused). The previous block is put back
// on destruction. Watches nest.
class ErrorWatch {
public:
    ErrorWatch();
    ~ErrorWatch();
    ErrorWatch(const ErrorWatch&) = delete;
    ErrorWatch& operator=(const ErrorWatch&) = delete;

    long errors() const { return *count_; }

private:
    runtime::Block previous_;
    std::shared_ptr<long> count_;
};

}  // namespace updater
