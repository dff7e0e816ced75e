// The main window's settings of its source editor and of the assembly
// highlighter attached to it.
#pragma once

namespace torvane {

class TSrcEditor;
class TSrcAsmHighlighter;

// Applies the form's editor configuration to `editor` and attaches
// `highlighter` with the form's colours.
void ConfigureSourceEditor(TSrcEditor& editor, TSrcAsmHighlighter& highlighter);

}  // namespace torvane
