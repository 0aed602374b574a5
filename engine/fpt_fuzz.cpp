// libFuzzer target: FPT and DBT memo headers and items over arbitrary bytes
// taken as a whole memo file; every block number the data names is tried.
// What must hold: refusals say kCorruptMemo; an accepted header has a block
// size and a next free block past the header; an accepted item lies within
// the bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/byte_order.h"
#include "engine/fpt_file.h"

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
    return 0;
}
