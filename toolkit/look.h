// The classic-look switch that dialogs and labels ask when they are built.
// Nothing in this program sets it; it answers false until set.
#pragma once

#include <optional>

namespace toolkit {

// LCLASSIC([lNew]): stores lNew when given; returns the switch.
bool LCLASSIC(std::optional<bool> lNew = std::nullopt);

}  // namespace toolkit
