// TFont: the font cache, stock fonts and the release of the last user.
#include <algorithm>
#include <cstdio>

#include "os/path.h"
#include "runtime/codepage.h"
#include "startup/dialog_font.h"
#include "toolkit/font.h"

namespace toolkit {
namespace {

std::vector<std::shared_ptr<TFont>>& cache() {
    static std::vector<std::shared_ptr<TFont>> fonts;
    return fonts;
}

struct StockFont {
    const char* name;
    int object;
};

constexpr StockFont kStockFonts[] = {
    {"OEM_FIXED_FONT", OEM_FIXED_FONT},
    {"ANSI_FIXED_FONT", ANSI_FIXED_FONT},
    {"ANSI_VAR_FONT", ANSI_VAR_FONT},
    {"SYSTEM_FONT", SYSTEM_FONT},
    {"DEVICE_DEFAULT_FONT", DEVICE_DEFAULT_FONT},
    {"SYSTEM_FIXED_FONT", SYSTEM_FIXED_FONT},
};

std::optional<int> stockObjectFor(const std::string& faceName) {
    for (const StockFont& s : kStockFonts)
        if (runtime::UPPER(faceName) == s.name) return s.object;
    return std::nullopt;
}

// A failed deletion is noted for support instead of failing the caller.
void logFailedDelete(const TFont& f) {
    std::FILE* out = std::fopen(os::resolvePath("resources.txt").c_str(), "ab");
    if (!out) return;
    std::fprintf(out, "DeleteObject( ::hFont ) failed from TFont:End() %lld %d %s\r\n",
                 static_cast<long long>(reinterpret_cast<intptr_t>(f.hFont)), f.nCount,
                 f.lDestroy ? ".T." : ".F.");
    std::fclose(out);
}

void fillFromArguments(TFont& f, const FontNew& s) {
    f.cFaceName = s.cFaceName;
    f.nInpHeight = s.nHeight;
    f.nInpWidth = s.nWidth;
    f.nHeight = s.nHeight;
    if (s.hDevice) f.nHeight = MulDiv(s.nHeight, GetDeviceCaps(s.hDevice, LOGPIXELSY), 72);
    f.nWidth = s.nWidth;
    f.lBold = s.lBold;
    f.lItalic = s.lItalic;
    f.lUnderline = s.lUnderline;
    f.lStrikeOut = s.lStrikeOut;
    f.nEscapement = s.nEscapement;
    f.nOrientation = s.nOrientation;
    f.nWeight = s.lBold ? FW_BOLD : s.nWeight;
    f.nCharSet = s.nCharSet;
    f.nOutPrecision = s.nOutPrecision;
    f.nClipPrecision = s.nClipPrecision;
    f.nQuality = s.nQuality;
    f.nPitchFamily = s.nPitchFamily;
}

}  // namespace

bool TFont::sameAttributes(const TFont& o) const {
    return nHeight == o.nHeight && nWidth == o.nWidth && nEscapement == o.nEscapement &&
           nOrientation == o.nOrientation && nWeight == o.nWeight && lItalic == o.lItalic &&
           lUnderline == o.lUnderline && lBold == o.lBold && lStrikeOut == o.lStrikeOut &&
           nCharSet == o.nCharSet && nOutPrecision == o.nOutPrecision &&
           nClipPrecision == o.nClipPrecision && nQuality == o.nQuality &&
           nPitchFamily == o.nPitchFamily &&
           runtime::UPPER(cFaceName) == runtime::UPPER(o.cFaceName);
}

std::shared_ptr<TFont> TFont::New(const FontNew& args) {
    auto font = std::make_shared<TFont>();
    fillFromArguments(*font, args);
    for (const auto& cached : cache()) {
        if (cached->sameAttributes(*font)) {
            ++cached->nCount;
            cached->lNew = false;
            return cached;
        }
    }
    font->nCount = 1;
    if (const auto stock = stockObjectFor(args.cFaceName)) {
        font->hFont = static_cast<HFONT>(GetStockObject(*stock));
        font->lDestroy = false;
        font->lNew = false;
        return font;
    }
    font->hFont =
        CreateFontA(font->nHeight, font->nWidth, font->nEscapement, font->nOrientation,
                    font->nWeight, font->lItalic, font->lUnderline, font->lStrikeOut,
                    static_cast<DWORD>(font->nCharSet), static_cast<DWORD>(font->nOutPrecision),
                    static_cast<DWORD>(font->nClipPrecision), static_cast<DWORD>(font->nQuality),
                    static_cast<DWORD>(font->nPitchFamily), font->cFaceName.c_str());
    font->lDestroy = true;
    font->lNew = true;
    cache().push_back(font);
    return font;
}

std::shared_ptr<TFont> TFont::adopt(HFONT h) {
    auto font = std::make_shared<TFont>();
    font->hFont = h;
    font->nCount = 1;
    font->lDestroy = false;
    font->lNew = false;
    LOGFONTA lf{};
    if (h && GetObjectA(h, sizeof lf, &lf) == sizeof lf) {
        font->cFaceName = lf.lfFaceName;
        font->nHeight = font->nInpHeight = lf.lfHeight;
        font->nWidth = font->nInpWidth = lf.lfWidth;
        font->nWeight = lf.lfWeight;
        font->lBold = lf.lfWeight >= FW_BOLD;
        font->lItalic = lf.lfItalic != 0;
    }
    return font;
}

void TFont::End() {
    if (nCount > 0) --nCount;
    if (nCount > 0) return;
    auto& fonts = cache();
    fonts.erase(std::remove_if(fonts.begin(), fonts.end(),
                               [this](const std::shared_ptr<TFont>& f) { return f.get() == this; }),
                fonts.end());
    if (lDestroy && hFont) {
        if (!DeleteObject(hFont)) logFailedDelete(*this);
        hFont = nullptr;
    }
}

size_t TFont::cachedCount() {
    return cache().size();
}

std::shared_ptr<TFont> defaultDialogFont(bool bold, int heightDelta) {
    FontNew f;
    f.cFaceName = startup::CFONTNAME();
    f.nWidth = startup::NFONTVSIZE();
    f.nHeight = startup::NFONTHSIZE() + heightDelta;
    f.lBold = bold;
    return TFont::New(f);
}

}  // namespace toolkit
