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

}  // namespace

bool LCLASSIC(std::optional<bool> lNew) {
    return access(slots().lClassic, lNew, false);
}
int NLINESTYLE(std::optional<int> nNew) {
    return access(slots().nLineStyle, nNew, 5);
}
Colour NXCLRLINE(std::optional<Colour> nNew) {
    return access(slots().nxClrLine, nNew, 0u);
}
Colour NCLRFHDR(std::optional<Colour> nNew) {
    return access(slots().nClrFHdr, nNew, 0u);
}
Colour NCLRBHDR(std::optional<Colour> nNew) {
    return access(slots().nClrBHdr, nNew, 0xCAD3D7u);
}
Colour NCLRTEXT(std::optional<Colour> nNew) {
    return access(slots().nClrText, nNew, 0u);
}
Colour NCLRPANE(std::optional<Colour> nNew) {
    return access(slots().nClrPane, nNew, LCLASSIC() ? 0xC0C0C0u : 0xEAEFEDu);
}
Colour NCLRTROW1(std::optional<Colour> nNew) {
    return access(slots().nClrTRow1, nNew, 0u);
}
Colour NCLRPROW1(std::optional<Colour> nNew) {
    return access(slots().nClrPRow1, nNew, 0xFFFFFFu);
}
Colour NCLRTROW2(std::optional<Colour> nNew) {
    return access(slots().nClrTRow2, nNew, 0u);
}
Colour NCLRPROW2(std::optional<Colour> nNew) {
    return access(slots().nClrPRow2, nNew, 0xEAEFEDu);
}
bool LALTERCLR(std::optional<bool> lNew) {
    return access(slots().lAlterClr, lNew, true);
}
int NHLINE(std::optional<int> nNew) {
    return access(slots().nHLine, nNew, 5);
}
Colour NCLRBACKFOCUS(std::optional<Colour> nNew) {
    return access(slots().nClrBackFocus, nNew, 0x858684u);
}
Colour NCLRFOREFOCUS(std::optional<Colour> nNew) {
    return access(slots().nClrForeFocus, nNew, 0xFFFFFFu);
}
bool LCOLORBRW(std::optional<bool> lNew) {
    if (lNew) slots().lColorBrw = lNew;
    return LCLASSIC();
}

std::optional<Colour> NCLRDESKTOP(std::optional<Colour> n) {
    return accessOptional(slots().nClrDesktop, n);
}
std::optional<Colour> NCLRENA1(std::optional<Colour> n) {
    return accessOptional(slots().nClrEna1, n);
}
std::optional<Colour> NCLRENA2(std::optional<Colour> n) {
    return accessOptional(slots().nClrEna2, n);
}
std::optional<Colour> NCLRDISA1(std::optional<Colour> n) {
    return accessOptional(slots().nClrDisa1, n);
}
std::optional<Colour> NCLRDISA2(std::optional<Colour> n) {
    return accessOptional(slots().nClrDisa2, n);
}
std::optional<Colour> NCLRSAY(std::optional<Colour> n) {
    return accessOptional(slots().nClrSay, n);
}
std::optional<int> NFONTTITULO(std::optional<int> n) {
    return accessOptional(slots().nFontTitulo, n);
}
std::optional<int> NFONTLINEA(std::optional<int> n) {
    return accessOptional(slots().nFontLinea, n);
}
std::optional<int> NFONTSTOTAL(std::optional<int> n) {
    return accessOptional(slots().nFontSTotal, n);
}
std::optional<int> NFONTTOTAL(std::optional<int> n) {
    return accessOptional(slots().nFontTotal, n);
}
Colour NCLRTITULO(std::optional<Colour> n) {
    return access(slots().nClrTitulo, n, 0u);
}
Colour NCLRLINEA(std::optional<Colour> n) {
    return access(slots().nClrLinea, n, 0u);
}
Colour NCLRSTOTAL(std::optional<Colour> n) {
    return access(slots().nClrSTotal, n, 0u);
}
Colour NCLRTOTAL(std::optional<Colour> n) {
    return access(slots().nClrTotal, n, 0u);
}

std::optional<UserFont> userFontDescription(std::optional<UserFont> aFont) {
    return accessOptional(slots().userFont, aFont);
}

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
