// The look settings kept per user: the table "ColorW" (one record per user
// code, in the start folder) and the list-printing fonts of "Fonts" (in the
// report folder). Loading copies a user's record into the accessors of
// look.h; saving writes the values the configuration dialog edits.
//
// Tables are reached through the table layer; a table that cannot be
// opened leaves the settings as they were (the open's own message tells
// the user). Both tables are made, empty, when missing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tables/rdd.h"
#include "toolkit/look.h"

namespace toolkit {

// CCODUSER([cCode]): the code of the user logged in (set by the login; ""
// before).
std::string CCODUSER(std::optional<std::string> cCode = std::nullopt);

// Field layouts of the two tables, in order.
const std::vector<tables::FieldInfo>& colorWFields();
const std::vector<tables::FieldInfo>& fontsFields();
// Their files, without extension: CPATHSTART() + "ColorW" and
// CPATHINFORME() + "Fonts".
std::string colorWFile();
std::string fontsFile();

// The colours of the platform that the first-time values and the restore
// take (window text, grey text, button face, window).
struct SystemColours {
    Colour windowText = 0;
    Colour grayText = 0x808080;
    Colour btnFace = 0xC0C0C0;
    Colour window = 0xFFFFFF;
};
SystemColours systemColours();

// Every value of a "ColorW" record, as the dialog edits them.
struct LookValues {
    Colour desktop = 0, enable1 = 0, enable2 = 0, disable1 = 0, disable2 = 0, say = 0;
    int titulo = 1, linea = 1, sTotal = 1, total = 1;  // font numbers
    Colour clrTitulo = 0, clrLinea = 0, clrSTotal = 0, clrTotal = 0;
    UserFont font;
    int lineStyle = 5;
    bool colorBrw = false;
    Colour clrLine = 0, clrForeHd = 0, clrBackHd = 0, clrText = 0, clrPane = 0;
    Colour clrTRow1 = 0, clrPRow1 = 0, clrTRow2 = 0, clrPRow2 = 0;
    bool alterClr = true;
    int hLine = 5;
    Colour clrPFocus = 0, clrTFocus = 0;
    bool classLook = false;
};

// The values a new user's record gets.
LookValues firstTimeValues();
// The values the accessors answer now.
LookValues currentLookValues();
// The browse part of the settings (style, colours, row heights, classic
// look): into the accessors, and from one set of values into another.
void applyBrowseLook(const LookValues& v);
void copyBrowsePart(LookValues& to, const LookValues& from);
// RESTCOLORS: the restore of the dialog's defaults into v (the browse
// part only when the classic look is off).
void restoreDefaultValues(LookValues& v);

// CARGACOLORES(): opens "ColorW" and "Fonts" (made when missing), adds the
// current user's first-time record when there is none, copies the record
// into the accessors, and puts the previously current area back. Returns
// true.
bool CARGACOLORES();
// SAVECOLORS: lNew appends the first-time record for cUser; otherwise
// writes `values` into cUser's record under its record lock (no record, or
// a lock that cannot be had: nothing is written) and makes sure "Fonts"
// holds a row for each list font's face and chosen colour. Returns whether
// it wrote. Opens and closes the tables itself.
bool SAVECOLORS(const LookValues& values, bool lNew = false,
                std::optional<std::string> cUser = std::nullopt);
// DELCOLORES(cUser): deletes cUser's record under its lock. Returns
// whether it did.
bool DELCOLORES(std::optional<std::string> cUser = std::nullopt);
// RESTAURAFONTS(cUser): loads cUser's settings (default the current user).
bool RESTAURAFONTS(std::optional<std::string> cUser = std::nullopt);

}  // namespace toolkit
