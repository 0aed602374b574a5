// The process-wide company context of the view routines.
#include "startup/company_context.h"

#include <utility>

namespace startup {

namespace {

struct CompanyContext {
    std::optional<std::string> pathDbf, pathTmp, dbfConta, dbfConta2, codEmp, codEmp2;
    std::optional<bool> newConta, perCompanyLayout;
};

CompanyContext& context() {
    static CompanyContext c;
    return c;
}

template <class T>
std::optional<T> getSet(std::optional<T>& member, std::optional<T> newValue) {
    if (newValue) member = std::move(newValue);
    return member;
}

}  // namespace

std::optional<std::string> CPATHDBF(std::optional<std::string> c) {
    return getSet(context().pathDbf, std::move(c));
}
std::optional<std::string> CPATHTMP(std::optional<std::string> c) {
    return getSet(context().pathTmp, std::move(c));
}
std::optional<std::string> CDBFCONTA(std::optional<std::string> c) {
    return getSet(context().dbfConta, std::move(c));
}
std::optional<std::string> CDBFCONTA2(std::optional<std::string> c) {
    return getSet(context().dbfConta2, std::move(c));
}
std::optional<std::string> CCODEMP(std::optional<std::string> c) {
    return getSet(context().codEmp, std::move(c));
}
std::optional<std::string> CCODEMP2(std::optional<std::string> c) {
    return getSet(context().codEmp2, std::move(c));
}
std::optional<bool> LNEWCONTA(std::optional<bool> l) {
    return getSet(context().newConta, l);
}
std::optional<bool> LBALDRIMEX(std::optional<bool> l) {
    return getSet(context().perCompanyLayout, l);
}

void clearCompanyContext() {
    context() = CompanyContext();
}

}  // namespace startup
