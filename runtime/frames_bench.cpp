// Prints what a call frame costs: the table commands that run once per field
// of every record keep one, so it must stay a few nanoseconds.
#include <chrono>
#include <cstdio>
#include <string>

#include "runtime/frames.h"

namespace {

volatile long g_sink = 0;

// A command's body stand-in: enough work that the loop is not folded away.
__attribute__((noinline)) void bare(int nPos, const std::string& cFile) {
    g_sink = g_sink + nPos + static_cast<long>(cFile.size());
}

__attribute__((noinline)) void framed(int nPos, const std::string& cFile) {
    runtime::Frame frame("FIELDPUT");
    frame.param("nPos", nPos).param("cFile", cFile);
    g_sink = g_sink + nPos + static_cast<long>(cFile.size());
}

template <class F>
double nanosPerCall(F&& call, long calls) {
    auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < calls; ++i) call(static_cast<int>(i & 15));
    std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / static_cast<double>(calls);
}

}  // namespace

int main() {
    const long calls = 20000000;
    const std::string file = "C:\\EMPRESAS\\DBF001\\TDiaNew";
    runtime::Frame outer("MAIN");
    double plain = nanosPerCall([&](int n) { bare(n, file); }, calls);
    double withFrame = nanosPerCall([&](int n) { framed(n, file); }, calls);
    std::printf("call without frame      %6.2f ns\n", plain);
    std::printf("call with frame + 2 vars %6.2f ns (frame: %.2f ns)\n", withFrame,
                withFrame - plain);
    std::printf("1,000,000 records x 20 fields: %.0f ms of frames\n",
                (withFrame - plain) * 20e6 / 1e6);
    return 0;
}
