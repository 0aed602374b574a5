// The register walk's soundness.
#include "updater/register_walk.h"

namespace updater {

bool RegisterWalk::step(uint32_t recNo) {
    if (!why_.empty()) return false;
    if (!seen_.insert(recNo).second || seen_.size() > total_) {
        why_ = "su orden vuelve al registro " + std::to_string(recNo);
        return false;
    }
    return true;
}

std::string RegisterWalk::problem(size_t visible) const {
    if (!why_.empty()) return why_;
    if (visible != seen_.size())
        return "su orden recorre " + std::to_string(seen_.size()) + " de las " +
               std::to_string(visible) + " empresas";
    return "";
}

std::string registerProblemText(const std::string& problem) {
    return "el \xEDndice del registro de empresas est\xE1 da\xF1"
           "ado: " +
           problem + "; reconstr\xFAyalo antes de actualizar";
}

}  // namespace updater
