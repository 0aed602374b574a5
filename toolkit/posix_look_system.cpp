// The platform colours of the look settings where there is no window
// system: the classic Windows values.
#include "toolkit/look_tables.h"

namespace toolkit {

SystemColours systemColours() {
    return SystemColours{};
}

}  // namespace toolkit
