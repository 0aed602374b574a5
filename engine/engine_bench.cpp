// Table engine benchmark: makes its own table of about 200-byte records and
// prints the time of a sequential scan, a refill by field position into a
// plain table and into one with a two-tag structural index (value by value,
// then as stored bytes), a tag build and random seeks, each also as a ratio
// to copying the table file with the OS.
//
//   engine_bench [records]      (default 1000000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/table.h"
#include "engine/table_access.h"
#include "os/fs.h"

namespace {
namespace fs = std::filesystem;
using engine::Handle;

const char* kFields =
    "NAME,C,40,0;ADDR,C,50,0;CITY,C,30,0;CODE,C,10,0;QTY,N,10,2;PRICE,N,12,2;TOTAL,N,14,2;"
    "DAY,D;OK,L;NOTE,C,30,0";

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void check(const engine::Status& s, const char* what) {
    if (s.ok()) return;
    std::fprintf(stderr, "%s failed: %d %s\n", what, s.code(), s.message().c_str());
    std::exit(1);
}

// One record forward; stepping past the last record is not a failure.
void step(Handle h) {
    engine::Status s = engine::skip(h, 1);
    if (!(s == engine::kAtEof)) check(s, "skip");
}

uint32_t next(uint32_t* seed) {
    *seed = *seed * 1664525u + 1013904223u;
    return *seed >> 8;
}

std::string word(uint32_t* seed, size_t len) {
    std::string s;
    for (size_t i = 0; i < len; ++i) s += char('A' + next(seed) % 26);
    return s;
}

std::string codeOf(uint32_t i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "K%08u", i);
    return buf;
}

void fill(const std::string& path, uint32_t records) {
    check(engine::createTable(path, kFields, engine::kTypeCdx, 0), "create");
    Handle h = 0;
    check(engine::openTable(path, "", engine::kTypeCdx, engine::kOpenExclusive, &h), "open");
    uint32_t seed = 12345;
    for (uint32_t i = 0; i < records; ++i) {
        check(engine::append(h), "append");
        (void)engine::setString(h, 1, word(&seed, 12) + " " + word(&seed, 20));
        (void)engine::setString(h, 2, word(&seed, 35));
        (void)engine::setString(h, 3, word(&seed, 10));
        (void)engine::setString(h, 4, codeOf(next(&seed) % records));
        (void)engine::setDouble(h, 5, (next(&seed) % 100000) / 100.0);
        (void)engine::setDouble(h, 6, (next(&seed) % 1000000) / 100.0);
        (void)engine::setDouble(h, 7, (next(&seed) % 10000000) / 100.0);
        (void)engine::setJulian(h, 8, int32_t(2451545 + next(&seed) % 9000));
        (void)engine::setLogical(h, 9, next(&seed) % 2 == 0);
        (void)engine::setString(h, 10, word(&seed, 25));
    }
    check(engine::closeTable(h), "close");
}

// Reads every field of every record; returns a checksum so nothing is elided.
double scan(const std::string& path) {
    Handle h = 0;
    check(engine::openTable(path, "", engine::kTypeCdx, engine::kOpenExclusive, &h), "open");
    double sum = 0;
    std::string s;
    bool eof = false, b = false;
    for (check(engine::goTop(h), "top"), check(engine::atEof(h, &eof), "eof"); !eof;
         step(h), check(engine::atEof(h, &eof), "eof")) {
        for (int f : {1, 2, 3, 4, 10}) {
            (void)engine::getString(h, f, &s);
            sum += s.size();
        }
        for (int f : {5, 6, 7}) {
            double d = 0;
            (void)engine::getDouble(h, f, &d);
            sum += d;
        }
        (void)engine::getDate(h, 8, &s);
        (void)engine::getLogical(h, 9, &b);
        sum += b;
    }
    (void)engine::closeTable(h);
    return sum;
}

// Opens `from` and `to` exclusively, lets `copy` fill `to` with every field
// paired by position, and closes both.
void copyBetween(
    const std::string& from, const std::string& to,
    const std::function<void(Handle, Handle, const std::vector<engine::FieldPair>&)>& copy) {
    Handle src = 0, dst = 0;
    check(engine::openTable(from, "", engine::kTypeCdx, engine::kOpenExclusive, &src), "open");
    check(engine::openTable(to, "", engine::kTypeCdx, engine::kOpenExclusive, &dst), "open");
    std::vector<engine::FieldPair> pairs;
    for (int f = 1; f <= 10; ++f) pairs.push_back({f, f});
    copy(src, dst, pairs);
    (void)engine::closeTable(src);
    check(engine::closeTable(dst), "close");
}

// Copies every record of `from` into `to` by field position as stored
// bytes (copyFields), as the updater copies fields of the same type, length
// and decimals in both layouts.
void refillBytes(const std::string& from, const std::string& to) {
    copyBetween(from, to, [](Handle src, Handle dst, const std::vector<engine::FieldPair>& pairs) {
        bool eof = false;
        for (check(engine::goTop(src), "top"), check(engine::atEof(src, &eof), "eof"); !eof;
             step(src), check(engine::atEof(src, &eof), "eof")) {
            check(engine::append(dst), "append");
            check(engine::copyFields(dst, src, pairs), "copyFields");
        }
    });
}

// The same copy in blocks of records, one engine call each (appendCopies),
// as the updater's refill copies a table whose fields all go as bytes.
void refillBlocks(const std::string& from, const std::string& to) {
    copyBetween(from, to, [](Handle src, Handle dst, const std::vector<engine::FieldPair>& pairs) {
        check(engine::goTop(src), "top");
        uint32_t n = 0;
        engine::Status s;
        while ((s = engine::appendCopies(dst, src, pairs, 256, nullptr, &n)) == engine::kOk) {
        }
        if (s != engine::kAtEof) check(s, "appendCopies");
    });
}

// A marking pass in blocks (visitRecords): every seventh record's logical
// field set, as the updater marks a journal.
void markBlocks(const std::string& path) {
    Handle h = 0;
    check(engine::openTable(path, "", engine::kTypeCdx, engine::kOpenExclusive, &h), "open");
    check(engine::goTop(h), "top");
    uint32_t n = 0, seen = 0;
    engine::BlockVisit mark = [&seen](engine::Table& r) {
        return ++seen % 7 == 0 ? engine::setLogical(r, 9, true) : engine::Status();
    };
    engine::Status s;
    while ((s = engine::visitRecords(h, 256, mark, &n)) == engine::kOk) {
    }
    if (s != engine::kAtEof) check(s, "visitRecords");
    check(engine::closeTable(h), "close");
}

// Copies every record of `from` into `to` by field position, value by
// value: read each value, append, write each value (fields whose layouts
// differ take this way in the updater).
void refill(const std::string& from, const std::string& to) {
    Handle src = 0, dst = 0;
    check(engine::openTable(from, "", engine::kTypeCdx, engine::kOpenExclusive, &src), "open");
    check(engine::openTable(to, "", engine::kTypeCdx, engine::kOpenExclusive, &dst), "open");
    std::vector<std::string> text(11);
    double num[11] = {};
    bool ok = false;
    bool eof = false;
    for (check(engine::goTop(src), "top"), check(engine::atEof(src, &eof), "eof"); !eof;
         step(src), check(engine::atEof(src, &eof), "eof")) {
        for (int f : {1, 2, 3, 4, 10}) check(engine::getString(src, f, &text[size_t(f)]), "get");
        for (int f : {5, 6, 7}) check(engine::getDouble(src, f, &num[f]), "get");
        (void)engine::getDate(src, 8, &text[8]);
        (void)engine::getLogical(src, 9, &ok);
        check(engine::append(dst), "append");
        for (int f : {1, 2, 3, 4, 10}) check(engine::setString(dst, f, text[size_t(f)]), "set");
        for (int f : {5, 6, 7}) check(engine::setDouble(dst, f, num[f]), "setDouble");
        (void)engine::setDate(dst, 8, text[8]);
        (void)engine::setLogical(dst, 9, ok);
    }
    (void)engine::closeTable(src);
    check(engine::closeTable(dst), "close");
}

// Wall time, its ratio to the copy, the aim for that ratio (0: none), and
// the processor time of this process (std::clock: CPU time on POSIX, wall
// time on Windows), which stays meaningful on a machine busy with other work.
double timed(const char* label, double copySeconds, const std::function<void()>& work,
             double aim = 0) {
    double t0 = now();
    std::clock_t c0 = std::clock();
    work();
    double s = now() - t0;
    double cpu = double(std::clock() - c0) / CLOCKS_PER_SEC;
    char aimText[32] = "";
    if (aim > 0) std::snprintf(aimText, sizeof aimText, "   (aim %.1fx)", aim);
    std::printf("%-38s %8.3f s   %6.2fx copy   cpu %7.3f s%s\n", label, s,
                copySeconds > 0 ? s / copySeconds : 0.0, cpu, aimText);
    std::fflush(stdout);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    uint32_t records = argc > 1 ? uint32_t(std::strtoul(argv[1], nullptr, 10)) : 1000000u;
    fs::path dir = fs::temp_directory_path() / ("engine_bench_" + std::to_string(std::rand()));
    fs::create_directories(dir);
    std::string src = (dir / "src.dbf").string(), dst = (dir / "dst.dbf").string();
    std::string idx = (dir / "idx.dbf").string(), copy = (dir / "copy.dbf").string();
    std::printf("engine_bench: %u records of %s\n", records, "206 bytes");
    double t0 = now();
    fill(src, records);
    std::printf("%-38s %8.3f s\n", "make the table (append + write)", now() - t0);
    double copySeconds = timed("OS file copy", 0, [&] {
        if (!os::copyFile(src, copy).ok()) std::exit(1);
    });
    std::printf("table file: %.1f MB\n", double(fs::file_size(src)) / 1e6);
    timed("sequential scan (every field)", copySeconds, [&] { scan(src); });
    auto twoTags = [&](const std::string& path) {
        check(engine::createTable(path, kFields, engine::kTypeCdx, 0), "create");
        Handle t = 0;
        int made = 0;
        check(engine::openTable(path, "", engine::kTypeCdx, engine::kOpenExclusive, &t), "open");
        check(engine::createIndex(t, "", "NAME", "UPPER(NAME)", "", 0, nullptr, &made), "index");
        check(engine::createIndex(t, "", "CODE", "CODE+DTOS(DAY)", "", 0, nullptr, &made), "index");
        check(engine::closeTable(t), "close");
    };
    check(engine::createTable(dst, kFields, engine::kTypeCdx, 0), "create");
    timed(
        "refill by position, no index", copySeconds, [&] { refill(src, dst); }, 2.0);
    twoTags(idx);
    timed(
        "refill by position, two tags", copySeconds, [&] { refill(src, idx); }, 4.0);
    // The same refills again into fresh targets, the other ways.
    auto refillsAgain = [&](const char* noIndex, const char* withTags,
                            void (*refillWay)(const std::string&, const std::string&)) {
        fs::remove(dst);
        fs::remove(idx);
        fs::remove(fs::path(idx).replace_extension(".cdx"));
        check(engine::createTable(dst, kFields, engine::kTypeCdx, 0), "create");
        timed(
            noIndex, copySeconds, [&] { refillWay(src, dst); }, 2.0);
        twoTags(idx);
        timed(
            withTags, copySeconds, [&] { refillWay(src, idx); }, 4.0);
    };
    refillsAgain("  the same as stored bytes, no index", "  the same as stored bytes, two tags",
                 refillBytes);
    refillsAgain("  the same in blocks, no index", "  the same in blocks, two tags", refillBlocks);
    timed("marking pass in blocks (1 row in 7)", copySeconds, [&] { markBlocks(dst); });
    Handle h = 0;
    int order = 0;
    check(engine::openTable(src, "", engine::kTypeCdx, engine::kOpenExclusive, &h), "open");
    timed(
        "build a tag over every record (CODE)", copySeconds,
        [&] { check(engine::createIndex(h, "", "CODE", "CODE", "", 0, nullptr, &order), "index"); },
        1.5);
    uint32_t seed = 777, hits = 0;
    timed("100,000 random seeks", copySeconds, [&] {
        for (int i = 0; i < 100000; ++i) {
            bool found = false;
            std::string key = codeOf(next(&seed) % records);
            check(engine::seek(h, key, engine::kKeyText, false, false, &found), "seek");
            hits += found;
        }
    });
    std::printf("seeks that found their key: %u\n", hits);
    (void)engine::shutdown();
    fs::remove_all(dir);
    return 0;
}
