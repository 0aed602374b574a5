// The counting error block.
#include "updater/error_watch.h"

#include "runtime/error.h"

namespace updater {

ErrorWatch::ErrorWatch() : previous_(runtime::ERRORBLOCK()), count_(std::make_shared<long>(0)) {
    runtime::Block inner = previous_;
    std::shared_ptr<long> count = count_;
    runtime::ERRORBLOCK(runtime::Block([inner, count](std::span<const runtime::Value> args) {
        ++*count;
        // Without a handler of its own the error would end the program in
        // the launcher; hand back an answer the launcher refuses the same way.
        return inner ? inner.eval(args) : runtime::Value();
    }));
}

ErrorWatch::~ErrorWatch() {
    runtime::ERRORBLOCK(previous_);
}

}  // namespace updater
