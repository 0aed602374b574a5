// Moves, copies and erasures of a table's file set.
#include "updater/table_files.h"

#include "os/fs.h"
#include "os/path_parts.h"
#include "os/status.h"

namespace updater {
namespace {

TableFiles setOf(const std::string& table) {
    return {table, os::withExtension(table, ".fpt"), os::withExtension(table, ".cdx")};
}

std::string baseName(const std::string& file) {
    return std::string(os::fileNameOf(file));
}

// The operating system's code as a few words of Spanish.
std::string causeOf(uint32_t code) {
    switch (code) {
        case os::kErrFileNotFound:
        case os::kErrPathNotFound:
            return "no existe";
        case os::kErrAccessDenied:
            return "acceso denegado";
        case os::kErrSharingViolation:
        case os::kErrLockViolation:
            return "el fichero est\xE1 en uso por otro programa";
        case os::kErrDiskFull:
            return "disco lleno";
        case os::kErrFileExists:
        case os::kErrAlreadyExists:
            return "el nombre ya existe";
        case os::kErrWriteFault:
            return "error de escritura";
        case os::kErrFilenameTooLong:
            return "ruta demasiado larga";
        default:
            return "error del sistema";
    }
}

SetResult failure(const os::Status& s, const std::string& file, const std::string& what) {
    SetResult r;
    r.ok = false;
    r.code = s.code();
    r.file = file;
    r.why = what +
            " (c\xF3"
            "digo " +
            std::to_string(s.code()) + ": " + causeOf(s.code()) + ")";
    return r;
}

}  // namespace

TableFiles tableFiles(const std::string& folder, const std::string& name) {
    return setOf(folder + name);
}

TableFiles backupFiles(const std::string& folder, const std::string& name) {
    return setOf(folder + "_" + name);
}

bool isRefusal(uint32_t code) {
    switch (code) {
        case os::kErrAccessDenied:
        case os::kErrSharingViolation:
        case os::kErrLockViolation:
        case os::kErrFileExists:
        case os::kErrAlreadyExists:
            return true;
        default:
            return false;
    }
}

SetResult moveSet(const TableFiles& from, const TableFiles& to) {
    const std::vector<const std::string*> fromFiles = {&from.memo, &from.index, &from.table};
    const std::vector<const std::string*> toFiles = {&to.memo, &to.index, &to.table};
    std::vector<size_t> moved;
    SetResult result;
    for (size_t i = 0; i < fromFiles.size() && result.ok; ++i) {
        const std::string& source = *fromFiles[i];
        const std::string& target = *toFiles[i];
        if (!os::fileExists(source)) continue;
        if (i + 1 < fromFiles.size() && os::fileExists(target)) {
            os::Status s = os::eraseFile(target);
            if (!s.ok()) {
                result =
                    failure(s, target, "no se pudo borrar la copia antigua " + baseName(target));
                break;
            }
        }
        os::Status s = os::renameFile(source, target);
        if (s.ok())
            moved.push_back(i);
        else
            result = failure(s, source,
                             "no se pudo mover " + baseName(source) + " a " + baseName(target));
    }
    if (result.ok) return result;
    for (auto it = moved.rbegin(); it != moved.rend(); ++it)
        if (!os::renameFile(*toFiles[*it], *fromFiles[*it]).ok()) result.restored = false;
    return result;
}

SetResult copySet(const TableFiles& from, const TableFiles& to, const std::string& indexFallback) {
    std::string indexSource = from.index;
    if (!os::fileExists(indexSource) && !indexFallback.empty()) indexSource = indexFallback;
    const std::vector<std::pair<const std::string*, const std::string*>> steps = {
        {&from.memo, &to.memo}, {&indexSource, &to.index}, {&from.table, &to.table}};
    for (const auto& [source, target] : steps) {
        os::Status s;
        if (os::fileExists(*source)) {
            s = os::copyFile(*source, *target);
            if (!s.ok())
                return failure(s, *target, "no se pudo copiar " + *source + " en " + *target);
        } else if (source != &from.table && os::fileExists(*target)) {
            s = os::eraseFile(*target);
            if (!s.ok()) return failure(s, *target, "no se pudo borrar " + *target);
        } else if (source == &from.table) {
            return failure(os::Status(os::kErrFileNotFound, *source), *source,
                           "no se pudo copiar " + *source);
        }
    }
    return {};
}

SetResult eraseSet(const TableFiles& set, const std::function<void()>& between) {
    for (const std::string* file : {&set.table, &set.memo, &set.index}) {
        if (!os::fileExists(*file)) continue;
        os::Status s = between ? os::eraseFileInSteps(*file, between) : os::eraseFile(*file);
        if (!s.ok()) return failure(s, *file, "no se pudo borrar " + baseName(*file));
    }
    return {};
}

}  // namespace updater
