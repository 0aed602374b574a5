// A table's files on disk (the .dbf, its memo and its structural index) and
// what the migration does with them, always as one set: move them to their
// backup names, put a template's set in their place, erase a backup set.
//
// Order on disk is what makes an interruption at any moment recoverable: a
// move takes the companions first and the table last, an erasure the table
// first and the companions after it. So a backup table never exists without
// its memo and index beside it, and a set whose move failed half way is put
// back as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace updater {

struct TableFiles {
    std::string table;  // folder + name, "…\TDiaNew.Dbf"
    std::string memo;   // the same base name with ".fpt"
    std::string index;  // the same base name with ".cdx"

    // The companions, memo first.
    std::vector<const std::string*> companions() const { return {&memo, &index}; }
};

// The set of `name` in `folder`, and the set of its backup "_" + name.
TableFiles tableFiles(const std::string& folder, const std::string& name);
TableFiles backupFiles(const std::string& folder, const std::string& name);

// How a file operation on a set ended.
struct SetResult {
    bool ok = true;
    uint32_t code = 0;     // the operating system's code of the call that failed
    std::string file;      // the file that call was about
    std::string why;       // a sentence for the user: what failed, on which file, why
    bool restored = true;  // false: a move failed and putting the set back failed too
};

// True for the codes with which a file system refuses an operation on a file
// while the disk itself is sound: a file in use, a read-only file or folder,
// a name that is taken. Anything else (a write fault, a full disk, a device
// gone) means that the disk can no longer be trusted.
bool isRefusal(uint32_t code);

// Moves the set `from` to the names of `to`, companions first and the table
// last. A companion under a `to` name beside a live one in `from` is what a
// clean-up that stopped half way leaves; it is erased first. When a move
// fails, the files already moved go back to their names.
SetResult moveSet(const TableFiles& from, const TableFiles& to);

// Copies the set `from` over `to`: the companions `from` has, then the table.
// When `from` has no index, `indexFallback` (if it names an existing file) is
// copied as the index instead, so that a table keeps its own index when the
// template brings none. A companion of `to` that nothing replaces is erased,
// so that no stale memo or index is paired with the fresh table.
SetResult copySet(const TableFiles& from, const TableFiles& to, const std::string& indexFallback);

// Erases the set, the table first; when that fails the companions stay.
// `between`, when given, runs between the steps in which a large file's
// space is given back after its erasure (os::eraseFileInSteps).
SetResult eraseSet(const TableFiles& set, const std::function<void()>& between = {});

}  // namespace updater
