// TIcon: an icon loaded from the resource module or extracted from a file.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "runtime/value.h"
#include "toolkit/win_handles.h"

namespace toolkit {

class TIcon {
public:
    // TIcon:New as far as a dialog's caption icon needs it: loads hIcon
    // from the icon resource cResName (a name, or a number) of
    // GETRESOURCES(), or else extracts the first icon of cIcoFile. hIcon is
    // null when neither gives one.
    static std::shared_ptr<TIcon> New(const runtime::Value& cResName,
                                      const std::string& cIcoFile = "");
    HICON hIcon() const { return icon_.get(); }
    runtime::Value cResName;
    std::string cIcoFile;

private:
    OwnedIcon icon_;
};

}  // namespace toolkit
