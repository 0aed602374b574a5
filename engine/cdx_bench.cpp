// Benchmark of index maintenance alone (no table): appends N records to an
// IndexSet with two tags, keys ascending and then in random order, then
// builds a tag in bulk and walks it; prints the time of each step.
//
//   cdx_bench [N]     (default 1,000,000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>

#include "engine/index_set.h"

namespace {

using namespace engine;

// Records of two fields: NAME C(20) and CODE C(10), generated from a number.
class Records : public RecordSource, public RecordView {
public:
    explicit Records(bool shuffled) : shuffled_(shuffled) {
        fields_[0].name = "NAME";
        fields_[0].length = 20;
        fields_[1].name = "CODE";
        fields_[1].length = 10;
        fields_[1].offset = 20;
    }
    uint32_t count = 0;
    uint32_t current = 0;

    uint32_t recordCount() const override { return count; }
    Status readRecord(uint32_t r, const RecordView** view) override {
        current = r;
        *view = this;
        return Status();
    }
    int fieldCount() const override { return 2; }
    const FieldDesc& field(int i) const override { return fields_[i]; }
    int findField(std::string_view n) const override {
        return n == "NAME" ? 0 : n == "CODE" ? 1 : -1;
    }
    std::string text(int i) const override {
        uint32_t v = shuffled_ ? (current * 2654435761u) % 100000007u : current;
        char buf[32];
        std::snprintf(buf, sizeof buf, i == 0 ? "name %08u          " : "K%08u ", v);
        return std::string(buf, i == 0 ? 20 : 10);
    }
    double number(int) const override { return 0; }
    int32_t julianDay(int) const override { return 0; }
    bool logical(int) const override { return false; }
    bool deleted() const override { return false; }
    uint32_t recordNumber() const override { return current; }

private:
    bool shuffled_;
    FieldDesc fields_[2];
};

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Processor time of this process: the machine is shared, so wall time alone
// says little about our own cost.
double cpu() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void check(const Status& s, const IndexSet&, const char* what) {
    if (s.ok()) return;
    std::fprintf(stderr, "%s failed: %d %s\n", what, s.code(), s.message().c_str());
    std::exit(1);
}

void appendRun(const std::filesystem::path& dir, uint32_t n, bool shuffled) {
    Records recs(shuffled);
    IndexSet set;
    std::string table = (dir / (shuffled ? "random.dbf" : "ascending.dbf")).string();
    check(set.openStructural(table, recs, 0, {}), set, "open");
    int order;
    check(set.createTag("", "NAME", "UPPER(NAME)", "", false, false, recs, nullptr, &order), set,
          "tag");
    check(set.createTag("", "CODE", "CODE+NAME", "", false, false, recs, nullptr, &order), set,
          "tag");
    double t0 = now(), c0 = cpu();
    for (uint32_t r = 1; r <= n; ++r) {
        recs.count = r;
        recs.current = r;
        check(set.onAppend(recs), set, "append");
    }
    check(set.closeAll(), set, "close");
    double s = now() - t0, c = cpu() - c0;
    std::printf("%-40s %8.3f s  cpu %8.3f s  %6.2f us/record\n",
                shuffled ? "append, two tags, random keys" : "append, two tags, ascending keys", s,
                c, c * 1e6 / n);
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t n = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 1000000u;
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("cdx_bench_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    std::printf("cdx_bench: %u records\n", n);
    appendRun(dir, n, false);
    appendRun(dir, n, true);
    Records recs(true);
    recs.count = n;
    IndexSet set;
    check(set.openStructural((dir / "bulk.dbf").string(), recs, 0, {}), set, "open");
    int order;
    double t0 = now();
    check(set.createTag("", "NAME", "UPPER(NAME)", "", false, false, recs, nullptr, &order), set,
          "tag");
    std::printf("%-40s %8.3f s\n", "bulk build of one tag", now() - t0);
    t0 = now();
    uint32_t r = 0, steps = 0;
    check(set.top(&r), set, "top");
    while (r != 0) {
        recs.current = r;
        check(set.skip(recs, 1, &r), set, "skip");
        ++steps;
    }
    std::printf("%-40s %8.3f s  (%u keys)\n", "walk the tag by skip", now() - t0, steps);
    check(set.closeAll(), set, "close");
    std::filesystem::remove_all(dir);
    return 0;
}
