// Printing a document: its lines, tabs expanded, in the editor's font, laid
// out top to bottom over as many pages as they need.
#pragma once

#include <QFont>

class QPrinter;

namespace torvane {

class TSrcEditStringList;

// Prints every line of `lines` on `printer`; false when the printer could
// not be started (no printer, an output file that cannot be created).
bool PrintLines(const TSrcEditStringList& lines, const QFont& font, QPrinter& printer);

}  // namespace torvane
