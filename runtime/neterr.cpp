// The process-wide network-error flag and open-error code.
#include "runtime/neterr.h"

namespace runtime {
namespace {
bool g_netErr = false;
int g_openErrorCode = 0;
}  // namespace

bool NETERR(std::optional<bool> lNew) {
    if (lNew) g_netErr = *lNew;
    return g_netErr;
}

int NERRORCODE(std::optional<int> nNew) {
    if (nNew) g_openErrorCode = *nNew;
    return g_openErrorCode;
}

}  // namespace runtime
