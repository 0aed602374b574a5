// The look settings: one process-wide set of colours, switches and font
// references that controls consult when they are built. Each setting has
// one accessor: with an argument it stores it; it always answers the stored
// value, or the built-in default while nothing was stored. Nothing in the
// updater stores any, so the defaults are its look.
//
// Colours are Windows colour values (0x00BBGGRR). Portable: the tables that
// keep them per user are in look_tables.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace toolkit {

using Colour = uint32_t;

bool LCLASSIC(std::optional<bool> lNew = std::nullopt);       // classic look [false]
int NLINESTYLE(std::optional<int> nNew = std::nullopt);       // browse grid style [5]
Colour NXCLRLINE(std::optional<Colour> nNew = std::nullopt);  // grid colour [0]
Colour NCLRFHDR(std::optional<Colour> nNew = std::nullopt);   // header text [0]
Colour NCLRBHDR(std::optional<Colour> nNew = std::nullopt);   // header background [0xCAD3D7]
Colour NCLRTEXT(std::optional<Colour> nNew = std::nullopt);   // browse text [0]
// Browse background [0xEAEFED; 0xC0C0C0 while LCLASSIC()].
Colour NCLRPANE(std::optional<Colour> nNew = std::nullopt);
Colour NCLRTROW1(std::optional<Colour> nNew = std::nullopt);      // first kind's text [0]
Colour NCLRPROW1(std::optional<Colour> nNew = std::nullopt);      // its background [0xFFFFFF]
Colour NCLRTROW2(std::optional<Colour> nNew = std::nullopt);      // second kind's text [0]
Colour NCLRPROW2(std::optional<Colour> nNew = std::nullopt);      // its background [0xEAEFED]
bool LALTERCLR(std::optional<bool> lNew = std::nullopt);          // rows alternate [true]
int NHLINE(std::optional<int> nNew = std::nullopt);               // pixels added to a row [5]
Colour NCLRBACKFOCUS(std::optional<Colour> nNew = std::nullopt);  // selected row [0x858684]
Colour NCLRFOREFOCUS(std::optional<Colour> nNew = std::nullopt);  // its text [0xFFFFFF]
// Stores its own flag but always answers LCLASSIC().
bool LCOLORBRW(std::optional<bool> lNew = std::nullopt);

// Settings without a default: nothing until stored.
std::optional<Colour> NCLRDESKTOP(std::optional<Colour> nNew = std::nullopt);
std::optional<Colour> NCLRENA1(std::optional<Colour> nNew = std::nullopt);   // active entry text
std::optional<Colour> NCLRENA2(std::optional<Colour> nNew = std::nullopt);   // its background
std::optional<Colour> NCLRDISA1(std::optional<Colour> nNew = std::nullopt);  // inactive text
std::optional<Colour> NCLRDISA2(std::optional<Colour> nNew = std::nullopt);  // its background
std::optional<Colour> NCLRSAY(std::optional<Colour> nNew = std::nullopt);    // labels
// Font numbers (rows of "Fonts") of list titles, lines, subtotals, totals.
std::optional<int> NFONTTITULO(std::optional<int> nNew = std::nullopt);
std::optional<int> NFONTLINEA(std::optional<int> nNew = std::nullopt);
std::optional<int> NFONTSTOTAL(std::optional<int> nNew = std::nullopt);
std::optional<int> NFONTTOTAL(std::optional<int> nNew = std::nullopt);
// The colours of those four fonts [0].
Colour NCLRTITULO(std::optional<Colour> nNew = std::nullopt);
Colour NCLRLINEA(std::optional<Colour> nNew = std::nullopt);
Colour NCLRSTOTAL(std::optional<Colour> nNew = std::nullopt);
Colour NCLRTOTAL(std::optional<Colour> nNew = std::nullopt);

// The user's screen font.
struct UserFont {
    std::string cFaceName;
    double nWidth = 0;
    int nHeight = 0;
    bool lBold = false;
    bool lItalic = false;
    friend bool operator==(const UserFont&, const UserFont&) = default;
};
// OUSERFONT's description part: stores aFont when given; answers the stored
// description (nothing before one was stored). Making the font object from
// it is the Win32 side's (OUSERFONT in look_dialogs.h).
std::optional<UserFont> userFontDescription(std::optional<UserFont> aFont = std::nullopt);
// The description as a font is made from it: width and height made
// positive when both are negative.
UserFont userFontForCreation(const UserFont& f);

// Empties every slot: every accessor answers its default again.
void clearLookSettings();

// NSIZE: a font height in pixels as points on a screen of nPixelsPerInch:
// -nHeight * 72 / nPixelsPerInch, a fraction of exactly 0.25 dropped, any
// other fraction with 0.25 added, then the absolute value.
double NSIZE(int nHeight, int nPixelsPerInch);

}  // namespace toolkit
