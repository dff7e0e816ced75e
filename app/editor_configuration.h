// The main window's settings of its source editor and of the assembly
// highlighter attached to it.
#pragma once

#include "document/file_format.h"

namespace torvane {

class TSrcEditor;
class TSrcAsmHighlighter;

// Applies the form's editor configuration to `editor` and attaches
// `highlighter` with the form's colours.
void ConfigureSourceEditor(TSrcEditor& editor, TSrcAsmHighlighter& highlighter);

// The line breaks of this system's text files.
inline constexpr TSrcEditFileFormat kNewDocumentFormat = sffUnix;
// A new (empty, unnamed) document: this system's breaks, and a break after
// the last line when it is saved.
void StartNewDocument(TSrcEditor& editor);

}  // namespace torvane
