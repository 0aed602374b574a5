// The numbers callers pass to open, seek and index a table: table types,
// open options, key types of a seek and index creation options.
#pragma once

namespace engine {

// Table types; they choose the extensions added to names without one.
constexpr int kTypeNtx = 1;  // .dbf, memo .dbt, index .ntx
constexpr int kTypeCdx = 2;  // .dbf, memo .fpt, index .cdx
constexpr int kTypeAdt = 3;  // not supported: open returns kNotSupported

// Open options (bit set).
constexpr int kOpenExclusive = 1;
constexpr int kOpenReadOnly = 2;
constexpr int kOpenShared = 4;

// Key types of seek.
constexpr int kKeyText = 2;    // key bytes as stored (character tags)
constexpr int kKeyDouble = 4;  // 8 bytes: a native double (numeric, date as Julian day)

// Index creation options (bit set).
constexpr int kIndexUnique = 1;
constexpr int kIndexCompound = 2;  // a tag in a multi-tag bag (always true for CDX)
constexpr int kIndexDescending = 8;

}  // namespace engine
