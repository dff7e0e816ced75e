// The text a packed shortcut shows as ("Ctrl+Z"), from Qt's key names.
#pragma once

#include <string>

#include "platform/virtual_keys.h"

namespace torvane {

// Empty for shortcut 0.
std::string ShortCutToText(TShortCut shortcut);

}  // namespace torvane
