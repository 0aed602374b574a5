// What one DBF header says, read from the file without opening the table:
// its user fields, record count and length, where the counted records end
// and how long the file is. For callers that decide about a table before
// anything opens or moves it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/record_view.h"

namespace engine {

struct DbfLayout {
    bool readable = false;
    uint32_t osCode = 0;            // why the file could not be read: 2 missing, 32 in use...
    std::string why;                // the same for people, or why the header is refused
    std::vector<FieldDesc> fields;  // user fields, in order
    uint32_t recordCount = 0;
    uint32_t recordBytes = 0;
    uint64_t dataEnd = 0;  // where the records the header counts end
    uint64_t fileBytes = 0;

    // Whole records stored past the ones the header counts.
    uint64_t uncountedRecords() const;
};

// Reads the header of the table file `path` (shared, read only) with the
// checks the open makes. A file that cannot be read keeps the system's code
// and text; a header the checks refuse keeps their text, readable false.
DbfLayout readTableLayout(const std::string& path);

}  // namespace engine
