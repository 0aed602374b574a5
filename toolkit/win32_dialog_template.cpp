// Dialog templates made in memory.
#include "toolkit/dialog_template.h"

#include <cstdlib>

#include "toolkit/win_handles.h"

namespace toolkit {
namespace {

using Bytes = std::vector<unsigned char>;

template <class T>
void put(Bytes& out, const T& v) {
    const auto* p = reinterpret_cast<const unsigned char*>(&v);
    out.insert(out.end(), p, p + sizeof v);
}

// A text as templates hold it: UTF-16, ended by a zero.
void putText(Bytes& out, const std::string& ansi) {
    std::wstring wide;
    if (!ansi.empty()) {
        const int n = static_cast<int>(ansi.size());
        wide.resize(
            static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, nullptr, 0)));
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, wide.data(), static_cast<int>(wide.size()));
    }
    wide.push_back(L'\0');
    for (wchar_t c : wide) put(out, static_cast<WORD>(c));
}

void align(Bytes& out, size_t to) {
    while (out.size() % to) out.push_back(0);
}

void putItem(Bytes& out, const TemplateItem& item) {
    align(out, 4);
    DLGITEMTEMPLATE i{};
    i.style = item.style | WS_CHILD | WS_VISIBLE;
    i.x = static_cast<short>(item.x);
    i.y = static_cast<short>(item.y);
    i.cx = static_cast<short>(item.cx);
    i.cy = static_cast<short>(item.cy);
    i.id = static_cast<WORD>(item.id);
    put(out, i);
    putText(out, item.className);
    putText(out, item.text);
    put(out, WORD{0});  // no creation data
}

}  // namespace

std::vector<unsigned char> templateBytes(const DialogTemplate& t) {
    Bytes out;
    DLGTEMPLATE d{};
    d.style = t.style & ~static_cast<DWORD>(DS_SETFONT);
    if (!t.fontFace.empty()) d.style |= DS_SETFONT;
    d.cdit = static_cast<WORD>(t.items.size());
    d.x = static_cast<short>(t.x);
    d.y = static_cast<short>(t.y);
    d.cx = static_cast<short>(t.cx);
    d.cy = static_cast<short>(t.cy);
    put(out, d);
    put(out, WORD{0});  // no menu
    put(out, WORD{0});  // the system's dialog class
    putText(out, t.caption);
    if (!t.fontFace.empty()) {
        put(out, static_cast<WORD>(t.fontPoints));
        putText(out, t.fontFace);
    }
    for (const TemplateItem& item : t.items) putItem(out, item);
    align(out, 4);
    return out;
}

int pointsOfHeight(int nHeight) {
    if (nHeight >= 0) return nHeight > 0 ? nHeight : 8;
    WindowDC dc(nullptr);
    const int points = MulDiv(std::abs(nHeight), 72, GetDeviceCaps(dc.get(), LOGPIXELSY));
    return points > 0 ? points : 1;
}

}  // namespace toolkit
