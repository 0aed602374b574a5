// Physical repair of table headers: REWRITETABLEINFO on one file and
// CHECKINTEGRITYDATA on every table of a folder.
//
// The header's bytes are laid out in engine/dbf_header.h. In each descriptor bytes 18-19 (reserved
// in the older formats) and 24-31 (work area, set-fields flag, reserved, index flag) are cleared.
// In the newer format bytes 18-23 hold the field's flags (system, nullable, binary, autoincrement),
// its next autoincrement value and step: there only 24-31 are cleared, since clearing 18-19 would
// turn a nullable field into one whose null flag nobody reads and reset the autoincrement counter.
//
// The file is then made to end right after its last record, with the
// end-of-file byte. Records are never cut to fit a count that is too small.
#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/byte_order.h"
#include "engine/dbf_header.h"
#include "os/file.h"
#include "os/fs.h"
#include "runtime/codepage.h"
#include "tables/dialogs.h"
#include "tables/maintenance.h"

namespace tables {

namespace {

constexpr uint64_t kHeaderBytes = 32;
constexpr uint64_t kDescriptorBytes = 32;
constexpr unsigned char kTerminator = 0x0D;
constexpr unsigned char kEofMark = 0x1A;

bool newerFormat(unsigned char fileType) {
    return fileType == 0x30 || fileType == 0x31 || fileType == 0x32;
}

runtime::Value result(bool ok, double count, double recLen, double expected, double actual) {
    return runtime::Value::newArray(runtime::Array{runtime::Value(ok), runtime::Value(count),
                                                   runtime::Value(recLen), runtime::Value(expected),
                                                   runtime::Value(actual)});
}

// Clears the reserved bytes of each descriptor, in place. The walk stays
// inside the header the file declares, so record bytes are never touched
// even when the terminator is missing. Returns whether the last write
// succeeded (false when none was written).
bool clearDescriptors(os::File& f, uint64_t headerLen, uint64_t fileSize, bool keepFieldFlags) {
    bool lastOk = false;
    uint64_t end = headerLen < fileSize ? headerLen : fileSize;
    for (uint64_t off = kHeaderBytes; off + kDescriptorBytes <= end; off += kDescriptorBytes) {
        unsigned char d[kDescriptorBytes];
        auto got = f.read(off, d, sizeof d);
        if (!got.ok() || *got != sizeof d || d[0] == kTerminator) break;
        if (!keepFieldFlags) d[18] = d[19] = 0;
        for (int i = 24; i < 32; ++i) d[i] = 0;
        lastOk = f.write(off, d, sizeof d).ok();
        if (!lastOk) break;
    }
    return lastOk;
}

// The byte at `offset`, or -1 when it cannot be read.
int byteAt(os::File& f, uint64_t offset) {
    unsigned char b = 0;
    auto got = f.read(offset, &b, 1);
    return got.ok() && *got == 1 ? b : -1;
}

// How many records the file really holds. Whole records past the header's
// count (a program appended them and stopped before it rewrote the count)
// are counted in while each begins with a deletion flag, blank or '*'; other
// bytes there are not records. A file shorter than its count holds its whole
// records and, when it begins with a deletion flag, a last one cut short.
uint32_t storedRecords(os::File& f, uint32_t headerLen, uint32_t recLen, uint32_t count,
                       uint64_t actual) {
    auto startsRecord = [&](uint64_t index) {
        int flag = byteAt(f, headerLen + index * recLen);
        return flag == ' ' || flag == '*';
    };
    uint64_t room = actual - headerLen;
    uint64_t whole = std::min<uint64_t>(room / recLen, UINT32_MAX);
    if (whole < count) return static_cast<uint32_t>(whole + (room % recLen && startsRecord(whole)));
    uint64_t stored = count;
    while (stored < whole && startsRecord(stored)) ++stored;
    return static_cast<uint32_t>(stored);
}

}  // namespace

runtime::Value REWRITETABLEINFO(std::string_view cFile) {
    auto opened = os::File::open(std::string(cFile), os::Access::ReadWrite, os::Share::Exclusive,
                                 os::Disposition::OpenExisting);
    if (!opened.ok()) return result(false, 0, 0, 0, -1);
    os::File& f = *opened;
    auto size = f.size();
    uint64_t actual = size.ok() ? *size : 0;
    unsigned char h[kHeaderBytes];
    auto got = f.read(0, h, sizeof h);
    if (!got.ok() || *got != sizeof h) return result(false, 0, 0, 0, static_cast<double>(actual));
    uint32_t count = engine::getU32le(h + engine::kDbfRecordCountOffset);
    uint32_t headerLen = engine::getU16le(h + engine::kDbfHeaderLengthOffset);
    uint32_t recLen = engine::getU16le(h + engine::kDbfRecordLengthOffset);
    bool lastOk = clearDescriptors(f, headerLen, actual, newerFormat(h[0]));
    // A header whose lengths cannot be right says nothing about where the
    // records end: the size is left alone rather than cut on its word.
    if (recLen == 0 || headerLen <= kHeaderBytes || headerLen > actual) {
        double expected = static_cast<double>(count) * recLen + headerLen;
        return result(lastOk, count, recLen, expected, static_cast<double>(actual));
    }
    uint32_t stored = storedRecords(f, headerLen, recLen, count, actual);
    uint64_t expected = static_cast<uint64_t>(stored) * recLen + headerLen;
    if (stored != count) {
        unsigned char c[4];
        engine::putU32le(c, stored);
        lastOk = f.write(engine::kDbfRecordCountOffset, c, sizeof c).ok() && lastOk;
    }
    bool endsRight =
        actual == expected || (actual == expected + 1 && byteAt(f, expected) == kEofMark);
    if (stored != count || !endsRight) {
        // A last record cut short keeps the bytes it has, completed with
        // blanks; what lies past the last record is dropped. Then the
        // end-of-file mark. A failure of either is the repair's failure.
        bool ok = true;
        if (actual < expected) {
            std::string blanks(static_cast<size_t>(expected - actual), ' ');
            ok = f.write(actual, blanks.data(), blanks.size()).ok();
        } else {
            ok = f.truncate(expected).ok();
        }
        unsigned char eof = kEofMark;
        ok = ok && f.write(expected, &eof, 1).ok();
        lastOk = ok && lastOk;
    }
    return result(lastOk, stored, recLen, static_cast<double>(expected),
                  static_cast<double>(actual));
}

bool CHECKINTEGRITYDATA(std::string_view cFolder, bool lForce) {
    if (!lForce && dialogUi().run(integrityCheckDialog()) != kIntegrityAcceptButton) return false;
    std::string folder = runtime::ALLTRIM(cFolder);
    if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) folder += '\\';
    auto entries = os::listFolder(folder);
    if (!entries.ok()) return true;
    for (const os::FolderEntry& e : *entries) {
        std::string name = runtime::UPPER(e.name);
        bool isDbf = name.size() > 4 && name.compare(name.size() - 4, 4, ".DBF") == 0;
        if (!e.isFolder && isDbf && e.sizeBytes != 0) REWRITETABLEINFO(folder + e.name);
    }
    return true;
}

}  // namespace tables
