// libFuzzer target: FPT and DBT memo headers and items over arbitrary bytes
// taken as a whole memo file; every block number the data names is tried.
// What must hold: refusals say kCorruptMemo; an accepted header has a block
// size and a next free block past the header; an accepted item lies within
// the bytes. Then the same bytes as an FPT file opened for our use alone:
// every item that reads has the length the file states, a new memo reads
// back as written, and no item that read before it changed.
#include <unistd.h>
#include <cstddef>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "engine/byte_order.h"
#include "engine/fpt_file.h"

namespace {

void fail(const char* what, uint32_t block) {
    std::fprintf(stderr, "fpt_fuzz: %s (block %u)\n", what, block);
    std::abort();
}

// The bytes as a memo file of our own: items read, a memo appended, the
// items read again.
void memoFile(std::string_view bytes) {
    static const std::string path = "/tmp/fpt_fuzz_" + std::to_string(getpid()) + ".fpt";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    engine::MemoFile memo;
    if (!memo.open(path, false, os::Access::ReadWrite, os::Share::Exclusive).ok()) return;
    std::map<uint32_t, std::string> read;  // items outside the header that read
    for (size_t i = 0; i + 4 <= bytes.size() && i < 256; i += 4) {
        uint32_t block = engine::getU32be(reinterpret_cast<const uint8_t*>(bytes.data()) + i);
        std::string text;
        uint32_t n = 0;
        if (!memo.read(block, &text).ok()) continue;
        if (!memo.length(block, &n).ok() || n != text.size())
            fail("read and length disagree", block);
        if (uint64_t(block) * memo.blockSize() >= engine::kFptHeaderBytes) read[block] = text;
    }
    std::string text(bytes.substr(0, 300));
    text += "|new memo";
    uint32_t block = 0;
    if (!memo.write(0, text, &block).ok() || !memo.writeOut().ok()) return;
    std::string back;
    if (!memo.read(block, &back).ok() || back != text) fail("a new memo reads back changed", block);
    for (const auto& [b, before] : read)
        if (!memo.read(b, &back).ok() || back != before) fail("an old memo changed", b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    uint32_t len = 0, skip = 0;
    if (engine::dbtItemLength(bytes, &len, &skip) == engine::kOk && uint64_t(skip) + len > size)
        __builtin_trap();
    engine::FptHeader dbt;
    if (engine::Status r = engine::parseMemoHeader(bytes, size, true, &dbt);
        r.ok() ? dbt.blockSize == 0 : r.code() != engine::kCorruptMemo)
        __builtin_trap();
    engine::FptHeader h;
    if (engine::Status r = engine::parseFptHeader(bytes, size, &h); !r.ok()) {
        if (r.code() != engine::kCorruptMemo) __builtin_trap();
        return 0;
    }
    if (h.blockSize == 0 || uint64_t(h.nextFree) * h.blockSize < engine::kFptHeaderBytes)
        __builtin_trap();
    // Try the blocks named by every 4-byte word of the input.
    for (size_t i = 0; i + 4 <= size && i < 4096; i += 4) {
        uint32_t block = engine::getU32be(data + i);
        uint64_t offset = uint64_t(block) * h.blockSize;
        std::string_view item =
            offset < size ? bytes.substr(size_t(offset), 8) : std::string_view();
        uint32_t n = 0;
        if (engine::Status r = engine::checkFptItem(h, block, item, size, &n); !r.ok()) {
            if (r.code() != engine::kCorruptMemo) __builtin_trap();
            continue;
        }
        if (offset + 8 + n > size) __builtin_trap();
        volatile char last = n > 0 ? data[offset + 8 + n - 1] : 0;
        (void)last;
    }
    memoFile(bytes);
    return 0;
}
