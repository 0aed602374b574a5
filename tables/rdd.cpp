// The driver registry: known driver implementations, the registered drivers
// in registration order, and the default driver name. Also the built-in
// drivers registered at program start.
#include "tables/rdd.h"

#include <map>

#include "runtime/codepage.h"
#include "runtime/error.h"
#include "tables/ads_area.h"
#include "tables/dberror.h"

namespace tables {

std::unique_ptr<Rdd> makeAdsRdd();  // ads_functions.cpp

namespace {

// The runtime's own table drivers reach the same table files through the
// engine, without the client driver's extras; "DBFNTX" uses the NTX table
// type (memo ".dbt"), "DBF" the FoxPro type.
class BuiltinTableRdd : public Rdd {
public:
    BuiltinTableRdd(std::string name, int tableType) : name_(std::move(name)), type_(tableType) {}
    std::string name() const override { return name_; }
    int kind() const override { return kRddTable; }
    std::unique_ptr<AreaDriver> open(const OpenRequest& request) override {
        return AdsArea::open(request, type_, name_);
    }
    bool create(std::string_view, const std::vector<FieldInfo>&) override {
        raiseDriverError(name_, runtime::gen::kUnsupported, 1000, {}, "DBCREATE");
        return false;
    }

private:
    std::string name_;
    int type_;
};

// Text-file transfer drivers: they serve copy-to/append-from of text files,
// never a work area of their own.
class TextRdd : public Rdd {
public:
    explicit TextRdd(std::string name) : name_(std::move(name)) {}
    std::string name() const override { return name_; }
    int kind() const override { return kRddText; }
    std::unique_ptr<AreaDriver> open(const OpenRequest& request) override {
        raiseDriverError(name_, runtime::gen::kUnsupported, 1000, request.fileName, "DBUSEAREA");
        return nullptr;
    }
    bool create(std::string_view fileName, const std::vector<FieldInfo>&) override {
        raiseDriverError(name_, runtime::gen::kUnsupported, 1000, fileName, "DBCREATE");
        return false;
    }

private:
    std::string name_;
};

struct Registered {
    std::string name;  // upper case
    std::unique_ptr<Rdd> rdd;
};

struct Registry {
    std::map<std::string, RddFactory> known;  // upper-case name -> implementation
    std::vector<Registered> drivers;          // registration order
    std::string defaultName;
};

void registerIn(Registry& reg, const std::string& name) {
    reg.drivers.push_back({name, reg.known[name]()});
}

// The state at program start: the runtime's built-in drivers, "DBFNTX" default.
void registerBuiltins(Registry& reg) {
    reg.drivers.clear();
    for (const char* name : {"DBF", "DBFNTX", "DELIM", "SDF"}) registerIn(reg, name);
    reg.defaultName = "DBFNTX";
}

Registry& registry() {
    static Registry* r = [] {
        auto* reg = new Registry;
        reg->known["DBF"] = [] { return std::make_unique<BuiltinTableRdd>("DBF", 2); };
        reg->known["DBFNTX"] = [] { return std::make_unique<BuiltinTableRdd>("DBFNTX", 1); };
        reg->known["DELIM"] = [] { return std::make_unique<TextRdd>("DELIM"); };
        reg->known["SDF"] = [] { return std::make_unique<TextRdd>("SDF"); };
        reg->known["ADS"] = [] { return makeAdsRdd(); };
        registerBuiltins(*reg);
        return reg;
    }();
    return *r;
}

std::string upperName(std::string_view name) {
    return runtime::UPPER(runtime::ALLTRIM(name));
}

std::string setDefault(std::optional<std::string_view> cName, std::string_view operation) {
    Registry& reg = registry();
    if (cName) {
        std::string name = upperName(*cName);
        if (!findRdd(name))
            raiseCommandError(runtime::gen::kArg, 1015, operation);
        else
            reg.defaultName = name;
    }
    return reg.defaultName;
}

}  // namespace

int RDDREGISTER(std::string_view cName, int nKind) {
    Registry& reg = registry();
    std::string name = upperName(cName);
    if (findRdd(name)) return 1;
    auto it = reg.known.find(name);
    if (it == reg.known.end() || (nKind != kRddTable && nKind != kRddText)) return 3;
    std::unique_ptr<Rdd> rdd = it->second();
    if (!rdd || rdd->kind() != nKind) return 3;
    reg.drivers.push_back({name, std::move(rdd)});
    return 0;
}

std::string RDDSETDEFAULT(std::optional<std::string_view> cName) {
    return setDefault(cName, "RDDSETDEFAULT");
}

std::string DBSETDRIVER(std::optional<std::string_view> cName) {
    return setDefault(cName, "DBSETDRIVER");
}

std::vector<std::string> RDDLIST(int nKind) {
    std::vector<std::string> names;
    for (const Registered& r : registry().drivers)
        if (nKind == 0 || r.rdd->kind() == nKind) names.push_back(r.name);
    return names;
}

Rdd* findRdd(std::string_view name) {
    std::string wanted = upperName(name);
    for (Registered& r : registry().drivers)
        if (r.name == wanted) return r.rdd.get();
    return nullptr;
}

void resetRddRegistry() {
    registerBuiltins(registry());
}

}  // namespace tables
