// The error dialog's headline: the file and the cause in the user's words.
#include "errors/error_headline.h"

#include <gtest/gtest.h>

#include "runtime/error.h"

namespace errors {
namespace {

runtime::ObjectPtr errorOf(std::string fileName, int osCode,
                           std::string description = "Open error") {
    runtime::ErrorFields f;
    f.genCode = runtime::gen::kOpen;
    f.subCode = 1001;
    f.subSystem = "ACTUA";
    f.fileName = std::move(fileName);
    f.osCode = osCode;
    f.description = std::move(description);
    return runtime::makeError(f);
}

TEST(ErrorHeadlineTest, FileNameAndCauseComeFirstThenTheFolder) {
    EXPECT_EQ(errorHeadline(errorOf("C:\\INST\\DBF001\\Claves.dbf", 2)),
              "Claves.dbf: no se encuentra el fichero\r\nCarpeta: C:\\INST\\DBF001\\");
    EXPECT_EQ(errorHeadline(errorOf("C:\\INST\\DBF\\TDiaNew.Dbf", 32)),
              "TDiaNew.Dbf: el fichero est\xE1 en uso por otro programa\r\n"
              "Carpeta: C:\\INST\\DBF\\");
    EXPECT_EQ(errorHeadline(errorOf("Claves.dbf", 5)), "Claves.dbf: acceso denegado")
        << "a bare name has no folder line";
}

TEST(ErrorHeadlineTest, CommonSystemCodesHaveSpanishWordsOthersNone) {
    for (int code : {2, 3, 4, 5, 32, 33, 39, 112, 206, 29, 30})
        EXPECT_FALSE(osCauseWords(code).empty()) << code;
    EXPECT_EQ(osCauseWords(112), "el disco est\xE1 lleno");
    EXPECT_EQ(osCauseWords(206), "la ruta es demasiado larga");
    EXPECT_EQ(osCauseWords(0), "");
    EXPECT_EQ(osCauseWords(1234), "");
}

TEST(ErrorHeadlineTest, WithoutWordsForTheCodeTheRunsOwnDetailIsTheCause) {
    EXPECT_EQ(errorHeadline(errorOf("C:\\I\\DBF\\TempDia.Dbf", 0,
                                    "Open error (la plantilla TempDia.Dbf no se puede leer: "
                                    "cabecera (da\xF1"
                                    "ada))")),
              "TempDia.Dbf: la plantilla TempDia.Dbf no se puede leer: cabecera (da\xF1"
              "ada)\r\n"
              "Carpeta: C:\\I\\DBF\\");
    EXPECT_EQ(errorHeadline(errorOf("C:\\I\\x.dbf", 1117, "Write error")),
              "x.dbf: Write error\r\nCarpeta: C:\\I\\")
        << "no brackets: the description itself";
}

TEST(ErrorHeadlineTest, NoFileGivesTheCauseAloneOrNothing) {
    EXPECT_EQ(errorHeadline(errorOf("", 5)), "Acceso denegado");
    EXPECT_EQ(errorHeadline(errorOf("   ", 0)), "") << "the description says all there is";
}

}  // namespace
}  // namespace errors
