// The keys of a refill's appended records, computed on a second thread (see
// key_worker.h).
#include "engine/key_worker.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace engine {
namespace {

std::atomic<bool> g_enabled{true};
std::atomic<uint64_t> g_runs{0};

// A batch is handed over when it holds this many records or bytes; at most
// kMaxQueued batches wait for the worker, so that a worker that falls
// behind holds back the table rather than taking memory without bound.
constexpr size_t kBatchRecords = 1024;
constexpr size_t kBatchBytes = 256 * 1024;
constexpr size_t kMaxQueued = 4;

bool isMemo(char type) {
    return type == 'M' || type == 'G' || type == 'W';
}

}  // namespace

void setKeyWorkerEnabled(bool enabled) {
    g_enabled = enabled;
}

bool keyWorkerEnabled() {
    return g_enabled;
}

uint64_t keyWorkerRuns() {
    return g_runs;
}

struct KeyWorker::Shared {
    struct Batch {
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> recnos;
    };

    Shared(const TableLayout& l, std::vector<Tag> t) : layout(l), tags(std::move(t)) {}

    // The worker thread: takes batches in order until told to close (after
    // the last one) or to drop everything.
    void run() {
        DbfRecord record(&layout, nullptr);
        std::string key;
        for (;;) {
            Batch batch;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [this] { return drop || closing || !queue.empty(); });
                if (drop || queue.empty()) return;
                batch = std::move(queue.front());
                queue.pop_front();
            }
            if (failure.ok()) compute(batch, record, key);
            {
                std::lock_guard<std::mutex> lock(mutex);
                spare.push_back(std::move(batch));
            }
            changed.notify_all();
        }
    }

    void compute(const Batch& batch, DbfRecord& record, std::string& key) {
        const size_t rb = layout.header.recordBytes;
        for (size_t r = 0; r < batch.recnos.size(); ++r) {
            std::memcpy(record.data(), batch.bytes.data() + r * rb, rb);
            record.setRecordNumber(batch.recnos[r]);
            for (Tag& t : tags) {
                Status s = cdxRecordKey(*t.key, t.format, record, &key);
                if (!s.ok()) {
                    failure = Status::error(s.code(), t.name, s.message());
                    return;
                }
                t.kept.append(key, 0, t.keyLength);
                if (key.size() < t.keyLength) t.kept.append(t.keyLength - key.size(), t.pad);
                t.keptRecnos.push_back(batch.recnos[r]);
            }
        }
    }

    const TableLayout layout;  // the worker's own copy
    std::vector<Tag> tags;
    Status failure;  // written by the worker only; read after the join

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Batch> queue;  // handed over, not yet taken
    std::vector<Batch> spare;  // done with: their memory is used again
    bool closing = false;      // no more batches: end after the last
    bool drop = false;         // end now
    std::thread thread;
};

bool KeyWorker::canCompute(const Expression& key, const CdxKeyFormat& format) {
    if (key.usesDeleted()) return false;
    if (format.type == 'C') return key.hasTextPlan();
    return key.bareField() >= 0 && !isMemo(key.bareFieldType());
}

KeyWorker::KeyWorker(const TableLayout& layout, std::vector<Tag> tags)
    : shared_(std::make_unique<Shared>(layout, std::move(tags))),
      recordBytes_(layout.header.recordBytes) {}

KeyWorker::~KeyWorker() {
    if (!shared_->thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->drop = true;
    }
    shared_->changed.notify_all();
    shared_->thread.join();
}

void KeyWorker::startThread() {
    started_ = true;
    ++g_runs;
    shared_->thread = std::thread([s = shared_.get()] { s->run(); });
}

void KeyWorker::add(const uint8_t* record, uint32_t recno) {
    if (!started_) startThread();
    batch_.insert(batch_.end(), record, record + recordBytes_);
    batchRecnos_.push_back(recno);
    if (batchRecnos_.size() >= kBatchRecords || batch_.size() >= kBatchBytes) handOver();
}

void KeyWorker::handOver() {
    Shared& s = *shared_;
    Shared::Batch next;
    {
        std::unique_lock<std::mutex> lock(s.mutex);
        s.changed.wait(lock, [&s] { return s.queue.size() < kMaxQueued; });
        s.queue.push_back({std::move(batch_), std::move(batchRecnos_)});
        if (!s.spare.empty()) {
            next = std::move(s.spare.back());
            s.spare.pop_back();
        }
    }
    s.changed.notify_all();
    next.bytes.clear();
    next.recnos.clear();
    batch_ = std::move(next.bytes);
    batchRecnos_ = std::move(next.recnos);
}

Status KeyWorker::finish() {
    if (!shared_->thread.joinable()) return shared_->failure;  // never started, or finished
    if (!batchRecnos_.empty()) handOver();
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->closing = true;
    }
    shared_->changed.notify_all();
    shared_->thread.join();
    if (!shared_->failure.ok()) return shared_->failure;
    for (Tag& t : shared_->tags) {
        if (t.keys->empty()) {
            t.keys->swap(t.kept);
            t.recnos->swap(t.keptRecnos);
        } else {
            t.keys->append(t.kept);
            t.recnos->insert(t.recnos->end(), t.keptRecnos.begin(), t.keptRecnos.end());
        }
        std::string().swap(t.kept);
        std::vector<uint32_t>().swap(t.keptRecnos);
    }
    return Status();
}

}  // namespace engine
