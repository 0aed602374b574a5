// Hooks supplied by the layers above, file-name pieces, and the index and
// per-user table maintenance routines (CHECKMDX, LIB_INDEXDATA, DELVENDBF,
// DELIMPRDBF, XDBSETDRIVER).
#include "tables/maintenance.h"

#include "engine/dbf_header.h"
#include "os/file.h"
#include "os/fs.h"
#include "os/path_parts.h"
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

std::string withDbfExtension(std::string_view file) {
    return os::withDefaultExtension(file, ".dbf");
}

}  // namespace

void setIndexExtHook(std::function<std::string()> hook) {
    hooks().indexExt = std::move(hook);
}
void setStartPathHook(std::function<std::string()> hook) {
    hooks().startPath = std::move(hook);
}
void setTouchModeHook(std::function<bool()> hook) {
    hooks().touchMode = std::move(hook);
}
void setWaitCursorHook(std::function<void(bool)> hook) {
    hooks().waitCursor = std::move(hook);
}

std::string indexExt() {
    return hooks().indexExt ? hooks().indexExt() : std::string(".CDX");
}
std::string startPath() {
    return hooks().startPath ? hooks().startPath() : std::string();
}
bool touchMode() {
    return hooks().touchMode && hooks().touchMode();
}

std::string fileFolder(std::string_view path) {
    return runtime::UPPER(os::folderOf(path));
}

std::string fileBaseName(std::string_view path) {
    std::string_view name = os::fileNameOf(path);
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
    auto got = file->read(engine::kDbfFlagsOffset, &flags, 1);
    if (!got.ok() || *got != 1) return false;
    if ((flags & engine::kDbfFlagCdx) == 0) return false;
    // Only the structural-index bit goes: the memo and container bits stay
    // true to the file, which other programs read.
    flags = static_cast<unsigned char>(flags & ~engine::kDbfFlagCdx);
    return file->write(engine::kDbfFlagsOffset, &flags, 1).ok();
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
