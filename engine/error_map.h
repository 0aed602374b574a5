// Maps the platform layer's Windows error numbers onto engine result codes.
#pragma once

#include <cstdint>

#include "engine/result_codes.h"

namespace engine {

inline Result resultFromOs(uint32_t code) {
    switch (code) {
        case 0:
            return kOk;
        case 2:
        case 3:
            return kNotFound;  // file / path not found
        case 4:
            return kTooManyOpenFiles;
        case 5:
            return kAccessDenied;
        case 32:
        case 33:
            return kLocked;  // sharing or lock violation
        case 123:
        case 206:
            return kInvalidArgument;  // bad or too long name
        default:
            return kIoError;
    }
}

}  // namespace engine
