// Helpers for the table tests (see dbf_testutil.h).
#include "engine/dbf_testutil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "os/process.h"

namespace engine::test {
namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    static std::atomic<int> serial{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    fs::path p =
        fs::temp_directory_path() / ("engdbf_" + std::to_string(os::processId()) + "_" +
                                     std::to_string(stamp) + "_" + std::to_string(serial++));
    fs::create_directories(p);
    path_ = p.string();
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string ScratchDir::file(std::string_view name) const {
    return (fs::path(path_) / std::string(name)).string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint64_t fileSize(const std::string& path) {
    std::error_code ec;
    auto n = fs::file_size(path, ec);
    return ec ? 0 : uint64_t(n);
}

void writeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

void patchByte(const std::string& path, uint64_t offset, uint8_t value) {
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(std::streamoff(offset));
    f.put(char(value));
}

void patchU32(const std::string& path, uint64_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) patchByte(path, offset + uint64_t(i), uint8_t(value >> (8 * i)));
}

uint32_t fileU32(const std::string& path, uint64_t offset) {
    std::string b = readFile(path);
    if (b.size() < offset + 4) return 0;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(b[size_t(offset) + size_t(i)]);
    return v;
}

std::string lastErrorString() {
    return std::to_string(lastError().code()) + " " + lastError().message();
}

Handle openOrDie(const std::string& path, int options) {
    Handle h = 0;
    Status r = openTable(path, "", kTypeCdx, options, &h);
    EXPECT_EQ(r, kOk) << lastErrorString();
    return h;
}

}  // namespace engine::test
