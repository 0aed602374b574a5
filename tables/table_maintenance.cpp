// Hooks supplied by the layers above, file-name pieces, and the index and
// per-user table maintenance routines (CHECKMDX, LIB_INDEXDATA, DELVENDBF,
// DELIMPRDBF, XDBSETDRIVER).
#include "tables/maintenance.h"

#include "os/file.h"
#include "os/fs.h"
#include "runtime/codepage.h"
#include "tables/dbcmd.h"
#include "tables/rdd.h"

namespace tables {

namespace {

struct Hooks {
    std::function<std::string()> indexExt;
    std::function<std::string()> startPath;
    std::function<bool()> touchMode;
    std::function<void(bool)> waitCursor;
};

Hooks& hooks() {
    static Hooks h;
    return h;
}

// Byte 28 of a dBASE header: table flags; bit 0 announces a structural index.
constexpr uint64_t kTableFlagsOffset = 28;
constexpr unsigned char kStructuralIndexFlag = 0x01;

std::string withDbfExtension(std::string_view file) {
    std::string name(file);
    size_t slash = name.find_last_of("\\/");
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) name += ".dbf";
    return name;
}

}  // namespace

void setIndexExtHook(std::function<std::string()> hook) { hooks().indexExt = std::move(hook); }
void setStartPathHook(std::function<std::string()> hook) { hooks().startPath = std::move(hook); }
void setTouchModeHook(std::function<bool()> hook) { hooks().touchMode = std::move(hook); }
void setWaitCursorHook(std::function<void(bool)> hook) { hooks().waitCursor = std::move(hook); }

std::string indexExt() { return hooks().indexExt ? hooks().indexExt() : std::string(".CDX"); }
std::string startPath() { return hooks().startPath ? hooks().startPath() : std::string(); }
bool touchMode() { return hooks().touchMode && hooks().touchMode(); }

std::string fileFolder(std::string_view path) {
    size_t slash = path.find_last_of("\\/");
    if (slash == std::string_view::npos) return {};
    return runtime::UPPER(path.substr(0, slash + 1));
}

std::string fileBaseName(std::string_view path) {
    size_t slash = path.find_last_of("\\/");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    name = name.substr(0, name.find('.'));
    return runtime::ALLTRIM(name);
}

bool CHECKMDX(std::string_view cFile) {
    if (runtime::UPPER(indexExt()) == ".NTX") return false;
    std::string bag = fileFolder(cFile) + runtime::UPPER(fileBaseName(cFile)) + indexExt();
    if (os::fileExists(bag)) return false;
    auto file = os::File::open(withDbfExtension(cFile), os::Access::ReadWrite, os::Share::Exclusive,
                               os::Disposition::OpenExisting);
    if (!file.ok()) return false;
    unsigned char flags = 0;
    auto got = file->read(kTableFlagsOffset, &flags, 1);
    if (!got.ok() || *got != 1) return false;
    if ((flags & kStructuralIndexFlag) == 0) return false;
    // Only the structural-index bit goes: the memo and container bits stay
    // true to the file, which other programs read.
    flags = static_cast<unsigned char>(flags & ~kStructuralIndexFlag);
    return file->write(kTableFlagsOffset, &flags, 1).ok();
}

void LIB_INDEXDATA(std::string_view cTag, const runtime::Value&, std::string_view cKey,
                   bool lUnique) {
    if (hooks().waitCursor) hooks().waitCursor(true);
    ORDCONDSET(".NOT. DELETED()");
    ORDCREATE({}, cTag, cKey, {}, lUnique);
    if (hooks().waitCursor) hooks().waitCursor(false);
}

void DELVENDBF(std::string_view cUser) {
    std::string code = runtime::ALLTRIM(cUser);
    (void)os::eraseFile(startPath() + "GesVen" + code + ".dbf");
}

void DELIMPRDBF(std::string_view cUser) {
    std::string code = runtime::ALLTRIM(cUser);
    (void)os::eraseFile(startPath() + "GesPrn" + code + ".dbf");
    (void)os::eraseFile(startPath() + "GesPrn" + code + indexExt());
}

std::string XDBSETDRIVER(const runtime::Value&) {
    RDDSETDEFAULT("SIX");
    return "DBFCDX";
}

}  // namespace tables
