// Physical repair of table headers: REWRITETABLEINFO on one file and
// CHECKINTEGRITYDATA on every table of a folder.
//
// dBASE header bytes used here (little-endian):
//   offset  size  meaning
//   4       4     record count
//   8       2     header length (header + descriptors + terminator)
//   10      2     record length (deletion flag included)
//   32      32*n  field descriptors, ended by the byte 0x0D
//   0       1     file type: 0x30, 0x31, 0x32 are the newer format
// In each descriptor bytes 18-19 (reserved in the older formats) and 24-31
// (work area, set-fields flag, reserved, index flag) are cleared. In the
// newer format bytes 18-23 hold the field's flags (system, nullable, binary,
// autoincrement), its next autoincrement value and step: there only 24-31
// are cleared, since clearing 18-19 would turn a nullable field into one
// whose null flag nobody reads and reset the autoincrement counter.
#include <cstdint>

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

uint32_t u32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint32_t u16(const unsigned char* p) { return p[0] | (p[1] << 8); }

bool newerFormat(unsigned char fileType) { return fileType == 0x30 || fileType == 0x31 || fileType == 0x32; }

runtime::Value result(bool ok, double count, double recLen, double expected, double actual) {
    return runtime::Value::newArray(runtime::Array{runtime::Value(ok), runtime::Value(count), runtime::Value(recLen),
                                  runtime::Value(expected), runtime::Value(actual)});
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
    uint32_t count = u32(h + 4);
    uint32_t headerLen = u16(h + 8);
    uint32_t recLen = u16(h + 10);
    bool lastOk = clearDescriptors(f, headerLen, actual, newerFormat(h[0]));
    uint64_t expected = static_cast<uint64_t>(count) * recLen + headerLen;
    if (actual != expected) {
        unsigned char eof = kEofMark;
        if (f.truncate(expected).ok()) (void)f.write(expected, &eof, 1);
    }
    return result(lastOk, count, recLen, static_cast<double>(expected), static_cast<double>(actual));
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
