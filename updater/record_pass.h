// What the long passes of the record step over a work area share: how often
// they report and pump, the run's pump and step start, the progress of a
// walk over one area, and opening and closing the areas they work in.
#pragma once

#include <string>

namespace updater {

// Records between two reports of a step's progress in the long record
// loops, and between two pumps: the dialog keeps painting and answering
// through a journal or table of a million rows (a pump that comes too soon
// after the last one costs next to nothing).
inline constexpr long kRecordsPerPump = 256;
inline constexpr long kRecordsPerCheck = 16;

// The run's progress looks at its messages (nothing without a progress).
void pumpProgress();
// The run's progress shows that the step `what` begins.
void startStep(const std::string& what);

// The progress of a walk over the records of one work area, in natural
// order: the records before the current one are done.
class WalkProgress {
public:
    explicit WalkProgress(std::string alias);

    // Every few hundred records: the step's progress and a pump, so that
    // the dialog keeps painting through a table of a million rows.
    void every(long count) const;
    // After a block of records: the step's progress and a pump.
    void block() const { show(); }
    // Where the walk stopped (all of it at its end).
    void end() const { show(); }
    long total() const { return total_; }

private:
    void show() const;

    std::string alias_;
    long total_;
};

// Opens `file` exclusively, for writing, in a new area as `alias`; false
// when the open failed (NETERR).
bool openArea(const std::string& file, const char* alias);
// Opens a table the company's migration cannot go without; a failure is the
// run's error, naming the file and the cause.
bool openNeeded(const std::string& file, const char* alias);
// Closes the area of `alias` when there is one.
void closeAlias(const char* alias);

}  // namespace updater
