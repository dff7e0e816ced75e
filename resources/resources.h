// Where the program's bitmaps live in Qt's resource system.
#pragma once

#include <QString>
#include <string_view>

namespace torvane {

// The resource path of a bitmap; names compare without case
// ("SrcEditWrapped" and "SRCEDITWRAPPED" are the same bitmap).
QString BitmapResourcePath(std::string_view name);

// The About box's 49 x 52 logo.
inline constexpr char kLogoResource[] = ":/resources/logo.png";
// The window icon.
inline constexpr char kIconResource[] = ":/resources/torvane-48.png";

}  // namespace torvane
