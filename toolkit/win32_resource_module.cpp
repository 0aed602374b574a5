// The resource module and the libraries loaded to serve as one.
#include <vector>

#include "toolkit/resource_module.h"

namespace toolkit {
namespace {

struct ResourceState {
    HINSTANCE current = nullptr;  // null: the program's own module
    std::vector<HMODULE> loaded;  // libraries SETRESOURCES loaded, freed together
};

ResourceState& state() {
    static ResourceState s;
    return s;
}

}  // namespace

HINSTANCE GETRESOURCES() {
    return state().current ? state().current : GetModuleHandleA(nullptr);
}

HINSTANCE SETRESOURCES(const std::string& cLibrary) {
    HMODULE h = LoadLibraryA(cLibrary.c_str());
    if (!h) return nullptr;
    state().loaded.push_back(h);
    state().current = h;
    return h;
}

HINSTANCE SETRESOURCES(HINSTANCE hModule) {
    state().current = hModule;
    return hModule;
}

void FREERESOURCES() {
    for (HMODULE h : state().loaded) FreeLibrary(h);
    state().loaded.clear();
    state().current = nullptr;
}

}  // namespace toolkit
