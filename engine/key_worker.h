// The keys of a refill's appended records, computed on a second thread.
//
// While a fresh table is filled in bulk (IndexSet::beginBulk), every
// appended record's key for every tag is computed and kept aside, and the
// tags are built from the kept keys at the end. Computing those keys is a
// good part of a refill's processor time, and it depends only on the
// record's bytes; so the table hands a copy of each record to a KeyWorker
// and goes on with the next one while the worker computes the keys of the
// tags it was given on a thread of its own (only tables with a character
// key made from the bytes alone start one: bare-field keys alone cost less
// than the handing over). The worker keeps them exactly as the table would have (same bytes,
// same order); the table takes them back, and the thread ends, before the
// trees are built.
//
// Threading: add() and finish() are called by the table's thread only; the
// worker thread touches nothing but its own copies (the layout, the batches)
// and the kept keys, which the table does not read before finish() returns.
// The tags' compiled expressions are shared and only read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/cdx_key.h"
#include "engine/dbf_record.h"
#include "engine/expression.h"
#include "engine/status.h"

namespace engine {

// Turns the second thread off (for comparisons and benchmarks) or back on;
// on by default. Takes effect at the next bulk fill.
void setKeyWorkerEnabled(bool enabled);
bool keyWorkerEnabled();
// How many worker threads this process has started, for tests that must
// know the worker did the work.
uint64_t keyWorkerRuns();

class KeyWorker {
public:
    // One tag's key: how to compute it, and where to keep it.
    struct Tag {
        const Expression* key = nullptr;
        CdxKeyFormat format;
        size_t keyLength = 0;  // bytes kept per key (cut or padded to it)
        char pad = ' ';
        // Where finish() puts the keys (one after the other) and their
        // record numbers, after those already there.
        std::string* keys = nullptr;
        std::vector<uint32_t>* recnos = nullptr;
        std::string name;  // for errors: "bag: tag NAME"
        // What the worker keeps meanwhile: memory of its own, so that the
        // two threads never write on the same cache lines.
        std::string kept;
        std::vector<uint32_t> keptRecnos;
    };

    // True when `key` gives the same bytes from a record's bytes on any
    // thread: a bare field of a non-memo type, or a character key composed
    // of fields, UPPER(), DTOS(), STR() and constants.
    static bool canCompute(const Expression& key, const CdxKeyFormat& format);

    // `layout` is copied; the thread starts with the first record added.
    KeyWorker(const TableLayout& layout, std::vector<Tag> tags);
    // Stops the thread and drops whatever it had not done.
    ~KeyWorker();
    KeyWorker(const KeyWorker&) = delete;
    KeyWorker& operator=(const KeyWorker&) = delete;

    // Hands over a copy of one appended record (layout().header.recordBytes
    // bytes). Waits only when the worker is several batches behind.
    void add(const uint8_t* record, uint32_t recno);
    // Waits until every record added has its keys kept, ends the thread
    // and puts the keys where each Tag says; the first failure of a key, if
    // any (the keys are then dropped).
    Status finish();

    size_t recordBytes() const { return recordBytes_; }

private:
    struct Shared;
    void startThread();
    void handOver();

    std::unique_ptr<Shared> shared_;
    std::vector<uint8_t> batch_;  // records being gathered by the table's thread
    std::vector<uint32_t> batchRecnos_;
    size_t recordBytes_;
    bool started_ = false;
};

}  // namespace engine
