// Helpers for the table tests: a temporary folder per test, whole-file
// reads and writes, byte patches, and a small table maker over the API.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/engine.h"

namespace engine::test {

// A fresh folder under the system temp folder, removed with its contents.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(std::string_view name) const;

private:
    std::string path_;
};

std::string readFile(const std::string& path);
// Size without opening the file (works while the engine holds it exclusive).
uint64_t fileSize(const std::string& path);
void writeFile(const std::string& path, std::string_view bytes);
void patchU32(const std::string& path, uint64_t offset, uint32_t value);
void patchByte(const std::string& path, uint64_t offset, uint8_t value);
uint32_t fileU32(const std::string& path, uint64_t offset);

// The last error's code and text as one string, for failure messages.
std::string lastErrorString();

// Opens `path` with the CDX table type; fails the test on error.
Handle openOrDie(const std::string& path, int options = kOpenExclusive);

}  // namespace engine::test
