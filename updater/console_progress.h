// The console face of the update run: one line per company, the file meter's
// steps, the progress of long record steps and a summary of what was
// copied, marked and kept.
#pragma once

#include <cstdio>
#include <string>

#include "runtime/console_text.h"
#include "updater/progress.h"

namespace updater {

class ConsoleProgress : public Progress {
public:
    // Writes to `out` (not owned); stdout when null. Texts are Windows-1252
    // and go out in the console's encoding. On a terminal the progress of a
    // record step is one line redrawn in place; in a file or a pipe it is a
    // line at every tenth of the step.
    explicit ConsoleProgress(std::FILE* out = nullptr);
    ConsoleProgress(std::FILE* out, runtime::ConsoleEncoding encoding, bool terminal);
    ~ConsoleProgress() override;
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;

    void setCaption(Meter meter, std::string_view text) override;
    void setTotal(Meter meter, long total) override;
    void setValue(Meter meter, long value) override;
    void refreshCompanies(std::string_view currentCode) override;
    void showFrame(int frame) override;
    void pump() override;
    void companyStarted(std::string_view code, std::string_view name) override;
    void stepStarted(std::string_view what) override;
    void stepProgress(long done, long total) override;
    void companyDone(const CompanyReport& report) override;
    void runDone(int exitCode, const std::vector<std::string>& problems) override;

private:
    void write(const std::string& text);

    std::FILE* out_;
    runtime::ConsoleEncoding encoding_;
    bool terminal_;
    long totals_[2] = {100, 100};
    long fileSteps_ = 0;  // file meter steps seen in the current company
    std::string step_;    // what the record step in work does
    int stepShown_ = -1;  // percent (terminal) or tenth (file) last shown
    long stepDone_ = -1;  // records done when that was shown
};

// The summary lines printed after a company, one string per line.
std::string formatReport(const CompanyReport& report);

// "done/total registros (p%)" of a record step; without a total, "done registros".
std::string stepCount(long done, long total);

}  // namespace updater
