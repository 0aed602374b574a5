// The installed product hooks and the safe answers when a hook is missing.
#include "startup/product_hooks.h"

#include <utility>

namespace startup {

namespace {
ProductHooks& installed() {
    static ProductHooks hooks;
    return hooks;
}
}  // namespace

void setProductHooks(ProductHooks hooks) {
    installed() = std::move(hooks);
}

std::string productName() {
    const auto& hook = installed().productName;
    return hook ? hook() : std::string();
}

WindowRef mainWindow() {
    const auto& hook = installed().mainWindow;
    return hook ? hook() : nullptr;
}

}  // namespace startup
