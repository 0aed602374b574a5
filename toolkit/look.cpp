// The look settings' slots and their defaults.
#include "toolkit/look.h"

#include <cmath>
#include <variant>

namespace toolkit {
namespace {

// One slot per setting; empty until stored.
struct Slots {
    std::optional<bool> lClassic, lAlterClr, lColorBrw;
    std::optional<int> nLineStyle, nHLine;
    std::optional<Colour> nxClrLine, nClrFHdr, nClrBHdr, nClrText, nClrPane;
    std::optional<Colour> nClrTRow1, nClrPRow1, nClrTRow2, nClrPRow2;
    std::optional<Colour> nClrBackFocus, nClrForeFocus;
    std::optional<Colour> nClrDesktop, nClrEna1, nClrEna2, nClrDisa1, nClrDisa2, nClrSay;
    std::optional<int> nFontTitulo, nFontLinea, nFontSTotal, nFontTotal;
    std::optional<Colour> nClrTitulo, nClrLinea, nClrSTotal, nClrTotal;
    std::optional<UserFont> userFont;
};

Slots& slots() {
    static Slots s;
    return s;
}

// The accessor shape: store when given, answer the slot or the default.
template <class T>
T access(std::optional<T>& slot, const std::optional<T>& given, T fallback) {
    if (given) slot = given;
    return slot.value_or(fallback);
}

template <class T>
std::optional<T> accessOptional(std::optional<T>& slot, const std::optional<T>& given) {
    if (given) slot = given;
    return slot;
}

// One accessor per setting, all of the same shape: with a default, or
// answering nothing until stored.
#define LOOK_SETTING(Type, Name, member, fallback)      \
    Type Name(std::optional<Type> given) {              \
        return access(slots().member, given, fallback); \
    }
#define LOOK_OPTIONAL(Type, Name, member)                 \
    std::optional<Type> Name(std::optional<Type> given) { \
        return accessOptional(slots().member, given);     \
    }

}  // namespace

LOOK_SETTING(bool, LCLASSIC, lClassic, false)
LOOK_SETTING(int, NLINESTYLE, nLineStyle, 5)
LOOK_SETTING(Colour, NXCLRLINE, nxClrLine, 0u)
LOOK_SETTING(Colour, NCLRFHDR, nClrFHdr, 0u)
LOOK_SETTING(Colour, NCLRBHDR, nClrBHdr, 0xCAD3D7u)
LOOK_SETTING(Colour, NCLRTEXT, nClrText, 0u)
Colour NCLRPANE(std::optional<Colour> nNew) {
    return access(slots().nClrPane, nNew, LCLASSIC() ? 0xC0C0C0u : 0xEAEFEDu);
}
LOOK_SETTING(Colour, NCLRTROW1, nClrTRow1, 0u)
LOOK_SETTING(Colour, NCLRPROW1, nClrPRow1, 0xFFFFFFu)
LOOK_SETTING(Colour, NCLRTROW2, nClrTRow2, 0u)
LOOK_SETTING(Colour, NCLRPROW2, nClrPRow2, 0xEAEFEDu)
LOOK_SETTING(bool, LALTERCLR, lAlterClr, true)
LOOK_SETTING(int, NHLINE, nHLine, 5)
LOOK_SETTING(Colour, NCLRBACKFOCUS, nClrBackFocus, 0x858684u)
LOOK_SETTING(Colour, NCLRFOREFOCUS, nClrForeFocus, 0xFFFFFFu)
bool LCOLORBRW(std::optional<bool> lNew) {
    if (lNew) slots().lColorBrw = lNew;
    return LCLASSIC();
}

LOOK_OPTIONAL(Colour, NCLRDESKTOP, nClrDesktop)
LOOK_OPTIONAL(Colour, NCLRENA1, nClrEna1)
LOOK_OPTIONAL(Colour, NCLRENA2, nClrEna2)
LOOK_OPTIONAL(Colour, NCLRDISA1, nClrDisa1)
LOOK_OPTIONAL(Colour, NCLRDISA2, nClrDisa2)
LOOK_OPTIONAL(Colour, NCLRSAY, nClrSay)
LOOK_OPTIONAL(int, NFONTTITULO, nFontTitulo)
LOOK_OPTIONAL(int, NFONTLINEA, nFontLinea)
LOOK_OPTIONAL(int, NFONTSTOTAL, nFontSTotal)
LOOK_OPTIONAL(int, NFONTTOTAL, nFontTotal)
LOOK_SETTING(Colour, NCLRTITULO, nClrTitulo, 0u)
LOOK_SETTING(Colour, NCLRLINEA, nClrLinea, 0u)
LOOK_SETTING(Colour, NCLRSTOTAL, nClrSTotal, 0u)
LOOK_SETTING(Colour, NCLRTOTAL, nClrTotal, 0u)

LOOK_OPTIONAL(UserFont, userFontDescription, userFont)

UserFont userFontForCreation(const UserFont& f) {
    UserFont out = f;
    if (out.nWidth < 0 && out.nHeight < 0) {
        out.nWidth = -out.nWidth;
        out.nHeight = -out.nHeight;
    }
    return out;
}

void clearLookSettings() {
    slots() = Slots{};
}

double NSIZE(int nHeight, int nPixelsPerInch) {
    if (nPixelsPerInch == 0) return 0;
    double points = -static_cast<double>(nHeight) * 72.0 / nPixelsPerInch;
    const double whole = std::trunc(points);
    const double fraction = std::fabs(points - whole);
    if (fraction == 0.25)
        points = whole;
    else if (fraction != 0)
        points += 0.25;
    return std::fabs(points);
}

}  // namespace toolkit
