// Whether one walk over the company register in its order is sound: an
// index that leads back to a record already seen would make the run loop,
// one that misses visible records would skip companies. The run walks the
// register with it before any company is touched, and so does the check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

namespace updater {

class RegisterWalk {
public:
    // For a register of `recordCount` records, deleted ones included.
    explicit RegisterWalk(uint32_t recordCount) : total_(recordCount) {}

    // Notes the next record the order gives. False when the walk must end
    // here: the order came back to a record, or gave more than there are.
    bool step(uint32_t recNo);
    // Records the order gave so far.
    size_t walked() const { return seen_.size(); }
    // Empty when the walk was sound, given the visible records a walk in
    // natural order counts; otherwise why it was not, for people.
    std::string problem(size_t visible) const;

private:
    uint32_t total_;
    std::set<uint32_t> seen_;
    std::string why_;
};

// The sentence the run stops with when the walk is not sound.
std::string registerProblemText(const std::string& problem);

}  // namespace updater
