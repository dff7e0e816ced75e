// Where the program's bitmaps live in Qt's resource system.
#pragma once

#include <QString>
#include <string_view>

namespace torvane {

// The resource path of a bitmap; names compare without case
// ("SrcEditWrapped" and "SRCEDITWRAPPED" are the same bitmap).
QString BitmapResourcePath(std::string_view name);

}  // namespace torvane
