// Resource paths of the bitmaps compiled into the program.
#include "resources/resources.h"

namespace torvane {

QString BitmapResourcePath(std::string_view name) {
  return QStringLiteral(":/bitmaps/") +
         QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())).toUpper();
}

}  // namespace torvane
