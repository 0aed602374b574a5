// Tests of the console output: a line per company, the three file passes
// named by their step, and the summary.
#include "updater/console_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace updater {
namespace {

std::string captured(std::FILE* f) {
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    return text;
}

TEST(ConsoleProgressTest, CompanyPassesAndSummary) {
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    ConsoleProgress p(f);
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
    t.refilled = true;
    r.tables.push_back(t);
    t.name = "TempDia.Dbf";
    t.refilled = false;
    t.backupKept = true;
    t.note = "el rellenado no termin\xF3";
    r.tables.push_back(t);
    p.companyDone(r);
    std::string out = captured(f);
    std::fclose(f);
    EXPECT_EQ(out,
              "ACTUALIZANDO EMPRESAS\n"
              "Empresa 001 - Uno\n"
              "  copia de seguridad 1/2\n  copia de seguridad 2/2\n"
              "  plantilla 1/2\n  plantilla 2/2\n"
              "  limpieza 1/2\n  limpieza 2/2\n"
              "  Resumen 001:\n"
              "    Diario C:\\CONTA\\Emp0001\\Diario: 7 marcados L340\n"
              "    Diario C:\\CONTA\\Emp0002\\Diario: no visitado (no se pudo abrir)\n"
              "    TDiaNew.Dbf: 10 registros copiados, 3 marcados L340\n"
              "    TempDia.Dbf: 10 registros copiados, 3 marcados L340; copia de seguridad "
              "conservada (el rellenado no termin\xF3)\n");
}

TEST(ConsoleProgressTest, Utf8ForTerminals) {
    EXPECT_EQ(toUtf8("O\xF1" "ate \x80 abc"), "O\xC3\xB1" "ate \xE2\x82\xAC abc");
    EXPECT_EQ(toUtf8("\x81"), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace updater
