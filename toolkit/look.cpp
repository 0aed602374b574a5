// The classic-look switch.
#include "toolkit/look.h"

namespace toolkit {

bool LCLASSIC(std::optional<bool> lNew) {
    static std::optional<bool> slot;
    if (lNew) slot = lNew;
    return slot.value_or(false);
}

}  // namespace toolkit
