// The console face of the update run: one line per company, the file meter's
// steps and a summary of what was copied, marked and kept.
#pragma once

#include <cstdio>
#include <string>

#include "updater/progress.h"

namespace updater {

class ConsoleProgress : public Progress {
public:
    // Writes to `out` (not owned); stdout when null. Texts are Windows-1252;
    // with `utf8` they are converted for a UTF-8 terminal.
    explicit ConsoleProgress(std::FILE* out = nullptr, bool utf8 = false);

    void setCaption(Meter meter, std::string_view text) override;
    void setTotal(Meter meter, long total) override;
    void setValue(Meter meter, long value) override;
    void refreshCompanies(std::string_view currentCode) override;
    void showFrame(int frame) override;
    void pump() override;
    void companyStarted(std::string_view code, std::string_view name) override;
    void stepStarted(std::string_view what) override;
    void companyDone(const CompanyReport& report) override;
    void runDone(int exitCode, const std::vector<std::string>& problems) override;

private:
    void write(const std::string& text);

    std::FILE* out_;
    bool utf8_;
    long totals_[2] = {100, 100};
    long fileSteps_ = 0;   // file meter steps seen in the current company
};

// The summary lines printed after a company, one string per line.
std::string formatReport(const CompanyReport& report);

// Windows-1252 text as UTF-8.
std::string toUtf8(std::string_view text);

}  // namespace updater
