// Tests of the console output: a line per company, the three file passes
// named by their step, the progress of a long record step on a terminal and
// in a file, and the summary.
#include "updater/console_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "startup/file_names.h"
#include "updater/shown_path.h"

namespace updater {
namespace {

using runtime::ConsoleEncoding;

// Output captured in a temporary file.
class Captured {
public:
    Captured() : f_(std::tmpfile()) {}
    ~Captured() {
        if (f_) std::fclose(f_);
    }
    std::FILE* file() const { return f_; }
    std::string text() const {
        std::rewind(f_);
        std::string out;
        for (int c; (c = std::fgetc(f_)) != EOF;) out += static_cast<char>(c);
        return out;
    }

private:
    std::FILE* f_;
};

TEST(ConsoleProgressTest, CompanyPassesAndSummary) {
    Captured out;
    ASSERT_NE(out.file(), nullptr);
    {
        ConsoleProgress p(out.file(), ConsoleEncoding::kWindows1252, false);
        p.setCaption(Meter::kCompany, "ACTUALIZANDO EMPRESAS");
        p.companyStarted("001", "Uno");
        p.setValue(Meter::kFile, 0);  // the reset before the passes prints nothing
        p.setTotal(Meter::kFile, 2);
        for (int pass = 0; pass < 3; ++pass)
            for (long v = 1; v <= 2; ++v) p.setValue(Meter::kFile, v);
        CompanyReport r;
        r.code = "001";
        r.journals.push_back({"C:\\CONTA\\Emp0001\\Diario", true, 7, ""});
        r.journals.push_back({"C:\\CONTA\\Emp0002\\Diario", false, 0, "no se pudo abrir"});
        TableReport t;
        t.name = "TDiaNew.Dbf";
        t.copied = 10;
        t.marked = 3;
        t.leftOut = 2;
        t.refilled = true;
        r.tables.push_back(t);
        t.name = "TempDia.Dbf";
        t.refilled = false;
        t.backupKept = true;
        t.note = "el rellenado no termin\xF3";
        r.tables.push_back(t);
        p.companyDone(r);
    }
    EXPECT_EQ(out.text(),
              "ACTUALIZANDO EMPRESAS\n"
              "Empresa 001 - Uno\n"
              "  copia de seguridad 1/2\n  copia de seguridad 2/2\n"
              "  plantilla 1/2\n  plantilla 2/2\n"
              "  limpieza 1/2\n  limpieza 2/2\n"
              "  Resumen 001:\n"
              "    Diario " +
                  shownPath("C:\\CONTA\\Emp0001\\Diario") +
                  ": 7 marcados L340\n"
                  "    Diario " +
                  shownPath("C:\\CONTA\\Emp0002\\Diario") +
                  ": no visitado (no se pudo abrir)\n"
                  "    TDiaNew.Dbf: 10 registros copiados, 3 marcados L340, 2 borrados omitidos\n"
                  "    TempDia.Dbf: 10 registros copiados, 3 marcados L340; copia de seguridad "
                  "conservada (el rellenado no termin\xF3)\n");
}

// What the run reports while it refills a table of 1000 records, every 256
// records and once at the end, then the company's summary.
void refillThousand(ConsoleProgress& p) {
    p.stepStarted("rellenando TDiaNew.Dbf");
    for (long done = 0; done < 1000; done += 256) p.stepProgress(done, 1000);
    p.stepProgress(1000, 1000);
    p.stepProgress(1000, 1000);  // the same count again shows nothing
    CompanyReport report;
    report.code = "001";
    p.companyDone(report);
}

// The counts refillThousand() shows, in both faces.
const char* const kThousandCounts[] = {"0/1000 registros (0%)", "256/1000 registros (25%)",
                                       "512/1000 registros (51%)", "768/1000 registros (76%)",
                                       "1000/1000 registros (100%)"};

TEST(ConsoleProgressTest, FileGetsALinePerTenthOfAStep) {
    Captured out;
    {
        ConsoleProgress p(out.file(), ConsoleEncoding::kWindows1252, false);
        refillThousand(p);
    }
    std::string expected = "  rellenando TDiaNew.Dbf\n";
    for (const char* count : kThousandCounts) expected += std::string("    ") + count + "\n";
    EXPECT_EQ(out.text(), expected + "  Resumen 001:\n");
}

TEST(ConsoleProgressTest, TerminalRedrawsOneLineInPlace) {
    Captured out;
    {
        ConsoleProgress p(out.file(), ConsoleEncoding::kWindows1252, true);
        refillThousand(p);
    }
    std::string expected = "\r  rellenando TDiaNew.Dbf";
    for (const char* count : kThousandCounts)
        expected += std::string("\r  rellenando TDiaNew.Dbf: ") + count;
    EXPECT_EQ(out.text(), expected + "\n  Resumen 001:\n");
}

TEST(ConsoleProgressTest, ShorterStatusBlanksWhatTheLongerOneLeft) {
    Captured out;
    {
        ConsoleProgress p(out.file(), ConsoleEncoding::kWindows1252, true);
        p.stepStarted("marcando Emp0001 Diario");
        p.stepProgress(5, 5);
        p.stepStarted("x");  // a new step redraws the same line
    }
    const std::string first = "  marcando Emp0001 Diario: 5/5 registros (100%)";
    EXPECT_EQ(out.text(), "\r  marcando Emp0001 Diario\r" + first + "\r  x" +
                              std::string(first.size() - 3, ' ') + "\n");
}

// The run joins the installation's backslash folders to the root it was
// given: the console shows such paths with the platform's one separator,
// in steps, summaries and the final list. Company names go out as they are,
// and a count such as "1/2" keeps its slash on every platform.
TEST(ConsoleProgressTest, PathsShowOneSeparatorAndNamesAndCountsStayAsTheyAre) {
    const bool windows = startup::nativePathStyle() == startup::PathStyle::kWindows;
    const std::string root = windows ? "C:\\inst" : "/srv/inst";
    const char sep = windows ? '\\' : '/';
    auto native = [sep](std::string path) {
        for (char& ch : path)
            if (ch == '\\') ch = sep;
        return path;
    };
    Captured out;
    {
        ConsoleProgress p(out.file(), ConsoleEncoding::kWindows1252, false);
        p.companyStarted("001", "A\\B S.L.");
        p.setTotal(Meter::kFile, 2);
        p.setValue(Meter::kFile, 1);
        p.stepStarted("marcando " + root + "\\CONTA\\Emp0001\\Diario");
        CompanyReport r;
        r.code = "001";
        r.journals.push_back({root + "\\CONTA\\Emp0002\\Diario", false, 0, "no existe"});
        p.companyDone(r);
        p.runDone(2, {"001: " + root + "\\DBF001\\_TDiaNic.dbf junto a TDiaNic.dbf"});
    }
    const std::string text = out.text();
    EXPECT_NE(text.find("Empresa 001 - A\\B S.L.\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  copia de seguridad 1/2\n"), std::string::npos) << text;
    for (const char* path : {"\\CONTA\\Emp0001\\Diario\n", "\\CONTA\\Emp0002\\Diario: no visitado",
                             "\\DBF001\\_TDiaNic.dbf junto a"})
        EXPECT_NE(text.find(root + native(path)), std::string::npos) << path << "\n" << text;
    if (!windows) {
        EXPECT_EQ(text.find('\\', text.find('\n') + 1), std::string::npos)
            << "only the company name keeps its backslash: " << text;
    }
}

TEST(ConsoleProgressTest, Utf8ConsoleGetsEveryLineConverted) {
    Captured out;
    {
        ConsoleProgress p(out.file(), ConsoleEncoding::kUtf8, true);
        p.companyStarted("001",
                         "Compa\xF1\xED"
                         "a");
        p.stepStarted(
            "rellenando Espa\xF1"
            "a");
        p.runDone(1, {"001: no se pudo abrir la tabla (c\xF3"
                      "digo 2)"});
    }
    EXPECT_EQ(out.text(),
              "Empresa 001 - Compa\xC3\xB1\xC3\xAD"
              "a\n"
              "\r  rellenando Espa\xC3\xB1"
              "a\n"
              "Fin de la actualizaci\xC3\xB3n: detenida por un error (vea Error.log).\n"
              "  001: no se pudo abrir la tabla (c\xC3\xB3"
              "digo 2)\n"
              "C\xC3\xB3"
              "digo de salida 1\n");
}

TEST(ConsoleProgressTest, StepWithoutTotalCountsRecords) {
    EXPECT_EQ(stepCount(300, 0), "300 registros");
    EXPECT_EQ(stepCount(1, 3), "1/3 registros (33%)");
}

}  // namespace
}  // namespace updater
