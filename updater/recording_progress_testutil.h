// A Progress for tests: records every report as a line of text.
#pragma once

#include <string>
#include <vector>

#include "os/file.h"
#include "updater/progress.h"

namespace updater {

class RecordingProgress : public Progress {
public:
    std::vector<std::string> events;
    std::vector<CompanyReport> reports;
    int pumps = 0;

    void setCaption(Meter m, std::string_view text) override {
        events.push_back(meter(m) + " caption " + std::string(text));
    }
    void setTotal(Meter m, long total) override {
        events.push_back(meter(m) + " total " + std::to_string(total));
    }
    void setValue(Meter m, long value) override {
        events.push_back(meter(m) + " value " + std::to_string(value));
    }
    void refreshCompanies(std::string_view code) override {
        events.push_back("browse " + std::string(code));
    }
    void showFrame(int frame) override { events.push_back("ACTUA" + std::to_string(frame)); }
    void pump() override { ++pumps; }
    void companyStarted(std::string_view code, std::string_view) override {
        events.push_back("start " + std::string(code));
    }
    void stepStarted(std::string_view what) override {
        events.push_back("step " + std::string(what));
    }
    void stepProgress(long done, long total) override {
        events.push_back("records " + std::to_string(done) + "/" + std::to_string(total));
    }
    void companyDone(const CompanyReport& report) override { reports.push_back(report); }
    void runDone(int exitCode, const std::vector<std::string>& problems) override {
        events.push_back("done " + std::to_string(exitCode));
        summary = problems;
    }
    std::vector<std::string> summary;  // what runDone listed

    // The events that begin with `prefix`, in order.
    std::vector<std::string> only(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& e : events)
            if (e.rfind(prefix, 0) == 0) out.push_back(e);
        return out;
    }

private:
    static std::string meter(Meter m) { return m == Meter::kCompany ? "company" : "file"; }
};

// A RecordingProgress that, as a step naming `trigger` starts, opens `file`
// shared and keeps it open, as another program holding it would.
class HoldingProgress : public RecordingProgress {
public:
    HoldingProgress(std::string trigger, std::string file)
        : trigger_(std::move(trigger)), file_(std::move(file)) {}
    void stepStarted(std::string_view what) override {
        RecordingProgress::stepStarted(what);
        if (held.isOpen() || what.find(trigger_) == std::string_view::npos) return;
        auto f = os::File::open(file_, os::Access::Read, os::Share::Shared,
                                os::Disposition::OpenExisting);
        if (f.ok()) held = std::move(f.value());
    }
    os::File held;

private:
    std::string trigger_, file_;
};

}  // namespace updater
