// The counting error block.
#include "updater/error_watch.h"

#include "runtime/error.h"
#include "runtime/neterr.h"

namespace updater {

ErrorWatch::ErrorWatch() : previous_(runtime::ERRORBLOCK()), count_(std::make_shared<long>(0)) {
    runtime::Block inner = previous_;
    std::shared_ptr<long> count = count_;
    runtime::ERRORBLOCK(runtime::Block([inner, count](std::span<const runtime::Value> args) {
        // A failure the handler answers silently (an open refused, which
        // the caller tests through NETERR) is the caller's to judge, not an
        // error of the step: a journal that cannot be opened is skipped.
        bool before = runtime::NETERR();
        runtime::NETERR(false);
        // Without a handler of its own the error would end the program in
        // the launcher; hand back an answer the launcher refuses the same way.
        runtime::Value answer = inner ? inner.eval(args) : runtime::Value();
        if (!runtime::NETERR()) {
            ++*count;
            runtime::NETERR(before);
        }
        return answer;
    }));
}

ErrorWatch::~ErrorWatch() {
    runtime::ERRORBLOCK(previous_);
}

}  // namespace updater
