// The updater's product hooks and the by-name table through which the shared
// framework reaches them.
#include "updater/hooks.h"

#include <array>
#include <cmath>
#include <span>
#include <utility>

#include "runtime/codepage.h"
#include "runtime/strings.h"
#include "startup/product_hooks.h"
#include "tables/fieldlist.h"
#include "tables/maintenance.h"
#include "tables/workarea.h"
#include "updater/run_state.h"

namespace updater {

namespace {

using runtime::Value;

// Text of the right operand of a text comparison.
std::string asText(const Value& v) {
    if (v.isText()) return v.text();
    if (v.isNumber()) return runtime::STR(v.numberInfo());
    return runtime::CVALTOCHAR(v);
}

std::string comparable(const std::string& s) {
    return runtime::ALLTRIM(runtime::UPPER(s));
}

const Value& arg(std::span<const Value> args, size_t i) {
    static const Value nothing;
    return i < args.size() ? args[i] : nothing;
}

std::optional<int> optionalInt(const Value& v) {
    if (!v.isNumber()) return std::nullopt;
    double n = v.num();
    // Only whole numbers can equal a kind; anything else is no known kind.
    if (n != std::floor(n) || n < -1e9 || n > 1e9) return -1;
    return static_cast<int>(n);
}

using HookFn = Value (*)(std::span<const Value> args);

struct NamedHook {
    std::string_view name;
    HookFn fn;
};

const std::array<NamedHook, 16> kHooks = {{
    {"INDEXEXT", [](std::span<const Value>) { return Value(INDEXEXT()); }},
    {"__PRODUCT", [](std::span<const Value>) { return Value(__PRODUCT()); }},
    {"APPMAINEXENAME", [](std::span<const Value>) { return Value(APPMAINEXENAME()); }},
    {"RECCOPY", [](std::span<const Value> a) { return Value(RECCOPY(arg(a, 0).textOr())); }},
    {"TI_COMPARE",
     [](std::span<const Value> a) { return Value(TI_COMPARE(arg(a, 0), arg(a, 1))); }},
    {"NLENNUMTICKETS",
     [](std::span<const Value> a) { return Value(NLENNUMTICKETS(optionalInt(arg(a, 0)))); }},
    {"AINDEXCHAIN", [](std::span<const Value>) { return AINDEXCHAIN(); }},
    {"DICTREINDEX", [](std::span<const Value> a) { return DICTREINDEX(arg(a, 0), arg(a, 1)); }},
    {"KW_ACONFIG", [](std::span<const Value>) { return KW_ACONFIG(); }},
    {"KW_USERCONFIG", [](std::span<const Value> a) { return KW_USERCONFIG(arg(a, 0)); }},
    {"LSWLOGO", [](std::span<const Value> a) { return LSWLOGO(arg(a, 0)); }},
    {"WL_AWLIST", [](std::span<const Value>) { return WL_AWLIST(); }},
    {"CCODEMPRESA", [](std::span<const Value>) { return CCODEMPRESA(); }},
    {"CNOMEMPRESA", [](std::span<const Value>) { return CNOMEMPRESA(); }},
    {"_STPUPR", [](std::span<const Value>) { return _STPUPR(); }},
    {"PTS2EUROS", [](std::span<const Value> a) { return PTS2EUROS(arg(a, 0)); }},
}};

}  // namespace

std::string INDEXEXT() {
    return ".CDX";
}
std::string __PRODUCT() {
    return "BALDRIMEX";
}
std::string APPMAINEXENAME() {
    return "BALDRIMW.EXE";
}

bool TI_COMPARE(const Value& xLeft, const Value& xRight) {
    if (xLeft.isText()) return comparable(xLeft.text()) == comparable(asText(xRight));
    if (xLeft.isNumber()) {
        if (xRight.isText()) return xLeft.num() == runtime::VAL(xRight.text()).value;
        return xRight.isNumber() && xLeft.num() == xRight.num();
    }
    return runtime::compareValues(xLeft, runtime::CompareOp::ExactEqual, xRight).value_or(false);
}

int NLENNUMTICKETS(std::optional<int> nKind) {
    int kind = nKind.value_or(0);
    return (kind == 0 || kind == 1) ? 9 : 0;
}

Value AINDEXCHAIN() {
    return {};
}
Value DICTREINDEX(const Value&, const Value&) {
    return {};
}
Value KW_ACONFIG() {
    return {};
}
Value KW_USERCONFIG(const Value&) {
    return {};
}
Value LSWLOGO(const Value&) {
    return {};
}
Value WL_AWLIST() {
    return {};
}
Value CCODEMPRESA() {
    return {};
}
Value CNOMEMPRESA() {
    return {};
}
Value _STPUPR() {
    return {};
}
Value PTS2EUROS(const Value&) {
    return {};
}

runtime::Block productHook(std::string_view name) {
    for (const NamedHook& hook : kHooks) {
        if (runtime::sameName(hook.name, name)) {
            HookFn fn = hook.fn;
            return runtime::Block([fn](std::span<const Value> args) { return fn(args); });
        }
    }
    return {};
}

void installProductHooks() {
    startup::ProductHooks hooks;
    hooks.productName = [] { return __PRODUCT(); };
    // The framework's main window is the progress dialog's window object,
    // which only the dialog face has.
    hooks.mainWindow = [] {
        const Progress* p = OWND();
        return static_cast<startup::WindowRef>(p ? p->window() : nullptr);
    };
    startup::setProductHooks(std::move(hooks));
    tables::setIndexExtHook([] { return INDEXEXT(); });
}

}  // namespace updater
