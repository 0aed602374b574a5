// The register walk's soundness.
#include "updater/register_walk.h"

#include "runtime/codepage.h"

namespace updater {

bool RegisterWalk::step(const RegisterEntry& entry) {
    if (!why_.empty()) return false;
    if (!seen_.insert(entry.recNo).second || seen_.size() > total_) {
        why_ = "su orden vuelve al registro " + std::to_string(entry.recNo);
        return false;
    }
    auto [first, isNew] = byFolder_.emplace(runtime::UPPER(entry.folder), entry);
    if (!isNew) refuse(entry, first->second);
    return true;
}

void RegisterWalk::visible(const RegisterEntry& entry) {
    if (seen_.count(entry.recNo)) return;
    auto first = byFolder_.find(runtime::UPPER(entry.folder));
    if (first == byFolder_.end() || refused_.count(entry.recNo)) return;
    refuse(entry, first->second);
    ++hidden_;
}

void RegisterWalk::refuse(const RegisterEntry& entry, const RegisterEntry& first) {
    refused_[entry.recNo] =
            "el c\xF3"
            "digo \"" +
            entry.code + "\" (" + entry.name + ") da la misma carpeta " + entry.folder +
            " que el c\xF3"
            "digo \"" +
            first.code + "\" (" + first.name +
            "), que va antes en el registro: esta empresa se deja como est\xE1. D\xE9 a cada "
            "empresa un "
            "c\xF3"
            "digo propio en el registro de empresas";
}

std::string RegisterWalk::problem(size_t visible) const {
    if (!why_.empty()) return why_;
    if (visible != seen_.size() + hidden_)
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
