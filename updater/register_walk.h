// Whether one walk over the company register in its order is sound: an
// index that leads back to a record already seen would make the run loop,
// one that misses visible records would skip companies. Two records whose
// codes name one company folder ("003" and "0 3": blanks become "0") would
// have that folder migrated twice and leave the company of the lost code
// out unseen: the later one in the order is refused. The run walks the
// register with it before any company is touched, and so does the check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace updater {

// One record as the order gives it.
struct RegisterEntry {
    uint32_t recNo = 0;
    std::string code;    // CODEMP as stored
    std::string name;    // CNOMBRE without surrounding blanks
    std::string folder;  // the company folder its code names (companyFolderOf)
};

class RegisterWalk {
public:
    // For a register of `recordCount` records, deleted ones included.
    explicit RegisterWalk(uint32_t recordCount) : total_(recordCount) {}

    // Notes the next record the order gives. False when the walk must end
    // here: the order came back to a record, or gave more than there are.
    bool step(const RegisterEntry& entry);
    // After the walk in the order: notes each visible record as a walk in
    // natural order gives it. One the order did not give whose folder a
    // record it gave names is refused too: a unique index shows one record
    // of each code, and its own is then not missing but a code given twice.
    void visible(const RegisterEntry& entry);
    // Records the order gave so far.
    size_t walked() const { return seen_.size(); }
    // Empty when the walk was sound, given the visible records a walk in
    // natural order counts (those refused by visible() count as given);
    // otherwise why it was not, for people.
    std::string problem(size_t visible) const;
    // The records the run leaves alone, by record number, each with why
    // (both codes and names, and the folder): an earlier record in the
    // order names the same company folder (the file system's case ignored).
    const std::map<uint32_t, std::string>& refused() const { return refused_; }

private:
    void refuse(const RegisterEntry& entry, const RegisterEntry& first);

    uint32_t total_;
    std::set<uint32_t> seen_;
    std::string why_;
    std::map<std::string, RegisterEntry> byFolder_;  // upper-cased folder -> first record naming it
    std::map<uint32_t, std::string> refused_;
    size_t hidden_ = 0;  // refused by visible(): the order did not give them
};

// The sentence the run stops with when the walk is not sound.
std::string registerProblemText(const std::string& problem);

}  // namespace updater
