// The product hooks as the shared framework reaches them: routines that every
// product built on the framework supplies (its name, its main window) and
// that the start-up and framework code below the product calls by name. The
// product installs them once, before the start-up sequence runs.
#pragma once

#include <functional>
#include <string>

namespace startup {

// An opaque reference to a window of the window layer (the application's
// main window, a dialog's parent); nullptr means no window. Only the window
// layer knows what it points to.
using WindowRef = const void*;

struct ProductHooks {
    std::function<std::string()> productName;  // __PRODUCT
    std::function<WindowRef()> mainWindow;     // OWND
};

// Installs the product's hooks; a hook left empty answers as if the product
// supplied nothing (an empty name, no window).
void setProductHooks(ProductHooks hooks);

// What the installed hooks answer.
std::string productName();
WindowRef mainWindow();

}  // namespace startup
