// Prints the cost of the file calls the table engine makes most often:
// open/close, a one-byte lock/unlock pair, small positioned writes and reads,
// and opening through a path whose case differs from the names on disk.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "os/clock.h"
#include "os/file.h"
#include "os/fs.h"
#include "os/path.h"
#include "os/process.h"

namespace {

template <class Body>
void measure(const char* what, int count, Body body) {
    uint64_t start = os::monotonicMs();
    for (int i = 0; i < count; ++i) body(i);
    uint64_t elapsed = os::monotonicMs() - start;
    double perCallUs = elapsed * 1000.0 / count;
    std::printf("%-44s %8d calls %8llu ms %10.2f us/call\n", what, count,
                static_cast<unsigned long long>(elapsed), perCallUs);
}

void check(const os::Status& s) {
    if (!s.ok()) {
        std::fprintf(stderr, "%s\n", s.message().c_str());
        std::exit(1);
    }
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("os_bench_" + std::to_string(os::processId()));
    fs::create_directories(root / "DATOS" / "EMP01");
    std::string path = (root / "DATOS" / "EMP01" / "TDIANEW.DBF").string();
    std::string mixedCase = os::joinPath(root.string(), "datos\\Emp01\\TDiaNew.dbf");

    os::Result<os::File> f = os::File::open(path, os::Access::ReadWrite, os::Share::Shared,
                                            os::Disposition::CreateAlways);
    check(f.status());
    char record[512] = {};
    measure("write 512 bytes at sequential offsets", 20000,
            [&](int i) { check(f->write(static_cast<uint64_t>(i) * 512, record, 512)); });
    measure("read 512 bytes at sequential offsets", 20000,
            [&](int i) { check(f->read(static_cast<uint64_t>(i) * 512, record, 512).status()); });
    measure("lock + unlock one byte near 0x7FFFFFFE", 20000, [&](int i) {
        check(f->lock(0x7FFFFFFEull - static_cast<uint64_t>(i), 1));
        check(f->unlock(0x7FFFFFFEull - static_cast<uint64_t>(i), 1));
    });
    f->close();
    measure("open + close shared (exact spelling)", 2000, [&](int) {
        check(os::File::open(path, os::Access::ReadWrite, os::Share::Shared,
                             os::Disposition::OpenExisting)
                  .status());
    });
    measure("open + close shared (other case, backslashes)", 2000, [&](int) {
        check(os::File::open(mixedCase, os::Access::ReadWrite, os::Share::Shared,
                             os::Disposition::OpenExisting)
                  .status());
    });
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}
