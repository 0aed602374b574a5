// How an index bag (CDX file) is opened: for writing or only reading, and
// whether other processes may change it meanwhile.
#pragma once

namespace engine {

// Open flags of a bag.
struct IndexOpenMode {
    bool readOnly = false;  // no hook may write; createTag/zap fail with kReadOnly
    bool shared = false;    // other processes may change the file: see sync()
};

}  // namespace engine
