// TIcon: icons from the resource module or from a file.
#include "toolkit/icon.h"
// <shellapi.h> needs <windows.h>, which icon.h includes.
#include <shellapi.h>

#include "os/path.h"
#include "toolkit/resource_module.h"

namespace toolkit {

std::shared_ptr<TIcon> TIcon::New(const runtime::Value& cResName, const std::string& cIcoFile) {
    auto icon = std::make_shared<TIcon>();
    icon->cResName = cResName;
    icon->cIcoFile = cIcoFile;
    HICON h = nullptr;
    if (cResName.isText()) {
        h = static_cast<HICON>(
            LoadImageA(GETRESOURCES(), cResName.text().c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    } else if (cResName.isNumber()) {
        h = static_cast<HICON>(LoadImageA(GETRESOURCES(),
                                          MAKEINTRESOURCEA(static_cast<WORD>(cResName.num())),
                                          IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    }
    if (!h && !cIcoFile.empty())
        h = ExtractIconA(GetModuleHandleA(nullptr), os::resolvePath(cIcoFile).c_str(), 0);
    // ExtractIcon answers 1 for a file that is not an icon source.
    if (h == reinterpret_cast<HICON>(1)) h = nullptr;
    icon->icon_.reset(h);
    return icon;
}

}  // namespace toolkit
