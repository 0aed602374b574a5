// Result codes of every engine call. 0 is success; every other value is also
// kept as the process's last error (see engine::lastError) with a text.
#pragma once

namespace engine {

using Result = int;

// Codes callers rely on by number.
constexpr Result kOk = 0;
constexpr Result kOpenRefused = 1001;       // open failed without an error worth raising
constexpr Result kNotFound = 5004;          // file or folder not found
constexpr Result kMoreLocks = 5005;         // lockedRecords: more locks than returned
constexpr Result kAtEof = 5068;             // read on the phantom record, step past the end
constexpr Result kTableNotLocked = 5064;    // unlockTable without a table lock (success)
constexpr Result kIndexAlreadyOpen = 5065;  // openIndex of a bag that is open already
constexpr Result kRecordNotLocked = 5087;   // unlockRecord of a record not locked (success)
constexpr Result kTooManyOpenFiles = 7004;  // the OS refused another file handle
constexpr Result kLocked = 7008;            // in use by another (sharing conflict) or locked
constexpr Result kAccessDenied = 7040;      // the OS denied access to the file

// Our own codes.
constexpr Result kInvalidHandle = 5010;      // handle not open (or never was)
constexpr Result kInvalidArgument = 5011;    // argument out of range or malformed
constexpr Result kFieldNotFound = 5012;      // field number or name not in the table
constexpr Result kTypeMismatch = 5013;       // value type does not suit the field type
constexpr Result kValueTooWide = 5014;       // number does not fit the field's width
constexpr Result kCorruptTable = 5020;       // DBF header, descriptors or records damaged
constexpr Result kCorruptMemo = 5021;        // FPT/DBT header or block damaged
constexpr Result kCorruptIndex = 5022;       // CDX page or header damaged
constexpr Result kBadExpression = 5030;      // key or FOR expression does not parse/evaluate
constexpr Result kKeyTooLong = 5031;         // key expression result longer than 240 bytes
constexpr Result kNoOrder = 5032;            // no controlling order / order name unknown
constexpr Result kUniqueKey = 5033;          // reserved: duplicate key in a candidate order
constexpr Result kReadOnly = 5040;           // write to a table opened read-only
constexpr Result kExclusiveRequired = 5041;  // zap/pack need an exclusive open
constexpr Result kLockRequired = 5042;       // reserved: write without the needed lock
constexpr Result kIoError = 5050;            // read, write, seek or flush failed
constexpr Result kLimitExceeded = 5052;      // too many fields, record too long, file too big
constexpr Result kNotSupported = 5053;       // table type / field type this engine cannot write

// True for results that mean success (0 and the two harmless unlock results).
inline bool succeeded(Result r) {
    return r == kOk || r == kTableNotLocked || r == kRecordNotLocked;
}

}  // namespace engine
