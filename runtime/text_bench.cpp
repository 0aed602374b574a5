// Prints the throughput of the text rules that index building and record
// filtering call per key: UPPER, compareText, DTOC/CTOD and STR.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/dates.h"
#include "runtime/settings.h"
#include "runtime/strings.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
void measure(const char* what, int count, F&& body) {
    const auto start = Clock::now();
    size_t sink = body();
    const double secs = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%-28s %9d ops  %8.1f ns/op  %7.2f Mops/s  (check %zu)\n", what, count,
                secs * 1e9 / count, count / secs / 1e6, sink);
}

std::vector<std::string> makeNames(int n) {
    std::vector<std::string> v;
    v.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        v.push_back(
            "Compa\xF1\xED"
            "a n\xFAmero " +
            std::to_string(i * 7919 % 100000) + std::string(20, ' '));
    }
    return v;
}

}  // namespace

int main() {
    runtime::HB_SETCODEPAGE("ESWIN");
    runtime::SET(runtime::Set::DateFormat, "dd-mm-yy");
    runtime::SET(runtime::Set::Epoch, 1920);
    const int n = 200000;
    const std::vector<std::string> names = makeNames(n);

    measure("UPPER (40-byte text)", n, [&] {
        size_t s = 0;
        for (const auto& x : names) s += static_cast<unsigned char>(runtime::UPPER(x)[3]);
        return s;
    });
    measure("compareText (=, exact off)", n, [&] {
        size_t s = 0;
        for (int i = 1; i < n; ++i) s += runtime::compareText(names[i - 1], names[i], false) < 0;
        return s;
    });
    measure("compareText (==)", n, [&] {
        size_t s = 0;
        for (int i = 1; i < n; ++i) s += runtime::compareText(names[i - 1], names[i], true) < 0;
        return s;
    });
    measure("DTOC + CTOD", n, [&] {
        size_t s = 0;
        runtime::Date d = runtime::makeDate(1990, 1, 1);
        for (int i = 0; i < n; ++i) {
            s += static_cast<size_t>(
                runtime::CTOD(runtime::DTOC(runtime::addDays(d, i % 9000))).julian);
        }
        return s;
    });
    measure("STR(n, 12, 2)", n, [&] {
        size_t s = 0;
        for (int i = 0; i < n; ++i) s += runtime::STR(i * 1.25, 12, 2).size();
        return s;
    });
    return 0;
}
