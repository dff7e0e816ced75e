// The name table of the editor commands and the lookups over it.
#include "editor/commands.h"

#include <array>

namespace torvane {

namespace {

constexpr std::array<TSrcEditorCommandName, CommandNameCount> kCommandNames = {{
    {ecNone, "ecNone"},
    {ecLeft, "ecLeft"},
    {ecRight, "ecRight"},
    {ecUp, "ecUp"},
    {ecDown, "ecDown"},
    {ecWordLeft, "ecWordLeft"},
    {ecWordRight, "ecWordRight"},
    {ecLineStart, "ecLineStart"},
    {ecLineEnd, "ecLineEnd"},
    {ecPageUp, "ecPageUp"},
    {ecPageDown, "ecPageDown"},
    {ecPageLeft, "ecPageLeft"},
    {ecPageRight, "ecPageRight"},
    {ecPageTop, "ecPageTop"},
    {ecPageBottom, "ecPageBottom"},
    {ecEditorTop, "ecEditorTop"},
    {ecEditorBottom, "ecEditorBottom"},
    {ecGotoXY, "ecGotoXY"},
    {ecSelLeft, "ecSelLeft"},
    {ecSelRight, "ecSelRight"},
    {ecSelUp, "ecSelUp"},
    {ecSelDown, "ecSelDown"},
    {ecSelWordLeft, "ecSelWordLeft"},
    {ecSelWordRight, "ecSelWordRight"},
    {ecSelLineStart, "ecSelLineStart"},
    {ecSelLineEnd, "ecSelLineEnd"},
    {ecSelPageUp, "ecSelPageUp"},
    {ecSelPageDown, "ecSelPageDown"},
    {ecSelPageLeft, "ecSelPageLeft"},
    {ecSelPageRight, "ecSelPageRight"},
    {ecSelPageTop, "ecSelPageTop"},
    {ecSelPageBottom, "ecSelPageBottom"},
    {ecSelEditorTop, "ecSelEditorTop"},
    {ecSelEditorBottom, "ecSelEditorBottom"},
    {ecSelGotoXY, "ecSelGotoXY"},
    {ecSelWord, "ecSelWord"},
    {ecSelectAll, "ecSelectAll"},
    {ecCopy, "ecCopy"},
    {ecScrollUp, "ecScrollUp"},
    {ecScrollDown, "ecScrollDown"},
    {ecScrollLeft, "ecScrollLeft"},
    {ecScrollRight, "ecScrollRight"},
    {ecInsertMode, "ecInsertMode"},
    {ecOverwriteMode, "ecOverwriteMode"},
    {ecToggleMode, "ecToggleMode"},
    {ecNormalSelect, "ecNormalSelect"},
    {ecColumnSelect, "ecColumnSelect"},
    {ecLineSelect, "ecLineSelect"},
    {ecMatchBracket, "ecMatchBracket"},
    {ecCommentBlock, "ecCommentBlock"},
    {ecGotoMarker(0), "ecGotoMarker0"},
    {ecGotoMarker(1), "ecGotoMarker1"},
    {ecGotoMarker(2), "ecGotoMarker2"},
    {ecGotoMarker(3), "ecGotoMarker3"},
    {ecGotoMarker(4), "ecGotoMarker4"},
    {ecGotoMarker(5), "ecGotoMarker5"},
    {ecGotoMarker(6), "ecGotoMarker6"},
    {ecGotoMarker(7), "ecGotoMarker7"},
    {ecGotoMarker(8), "ecGotoMarker8"},
    {ecGotoMarker(9), "ecGotoMarker9"},
    {ecSetMarker(0), "ecSetMarker0"},
    {ecSetMarker(1), "ecSetMarker1"},
    {ecSetMarker(2), "ecSetMarker2"},
    {ecSetMarker(3), "ecSetMarker3"},
    {ecSetMarker(4), "ecSetMarker4"},
    {ecSetMarker(5), "ecSetMarker5"},
    {ecSetMarker(6), "ecSetMarker6"},
    {ecSetMarker(7), "ecSetMarker7"},
    {ecSetMarker(8), "ecSetMarker8"},
    {ecSetMarker(9), "ecSetMarker9"},
    {ecContextHelp, "ecContextHelp"},
    {ecDeleteLastChar, "ecDeleteLastChar"},
    {ecDeleteChar, "ecDeleteChar"},
    {ecDeleteWord, "ecDeleteWord"},
    {ecDeleteLastWord, "ecDeleteLastWord"},
    {ecDeleteBOL, "ecDeleteBOL"},
    {ecDeleteEOL, "ecDeleteEOL"},
    {ecDeleteLine, "ecDeleteLine"},
    {ecClearAll, "ecClearAll"},
    {ecLineBreak, "ecLineBreak"},
    {ecInsertLine, "ecInsertLine"},
    {ecChar, "ecChar"},
    {ecImeStr, "ecImeStr"},
    {ecUndo, "ecUndo"},
    {ecRedo, "ecRedo"},
    {ecCut, "ecCut"},
    {ecPaste, "ecPaste"},
    {ecBlockIndent, "ecBlockIndent"},
    {ecBlockUnindent, "ecBlockUnindent"},
    {ecTab, "ecTab"},
    {ecShiftTab, "ecShiftTab"},
    {ecUpperCase, "ecUpperCase"},
    {ecLowerCase, "ecLowerCase"},
    {ecToggleCase, "ecToggleCase"},
    {ecTitleCase, "ecTitleCase"},
    {ecUpperCaseBlock, "ecUpperCaseBlock"},
    {ecLowerCaseBlock, "ecLowerCaseBlock"},
    {ecToggleCaseBlock, "ecToggleCaseBlock"},
    {ecString, "ecString"},
    {ecAutoCompletion, "ecAutoCompletion"},
    {ecUserFirst, "ecUserFirst"},
}};

// ASCII-only folding: command names are plain identifiers, and a locale's
// rules (a Turkish dotless i) must not change which command a name means.
bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') {
      x = static_cast<char>(x - 'A' + 'a');
    }
    if (y >= 'A' && y <= 'Z') {
      y = static_cast<char>(y - 'A' + 'a');
    }
    if (x != y) {
      return false;
    }
  }
  return true;
}

}  // namespace

const TSrcEditorCommandName& CommandNameAt(int index) {
  return kCommandNames.at(static_cast<std::size_t>(index));
}

std::optional<std::string_view> CommandToName(TSrcEditorCommand command) {
  for (const TSrcEditorCommandName& row : kCommandNames) {
    if (row.Command == command) {
      return std::string_view(row.Name);
    }
  }
  return std::nullopt;
}

std::optional<TSrcEditorCommand> NameToCommand(std::string_view name) {
  for (const TSrcEditorCommandName& row : kCommandNames) {
    if (SameNameIgnoringCase(row.Name, name)) {
      return row.Command;
    }
  }
  return std::nullopt;
}

std::string CommandToText(TSrcEditorCommand command) {
  if (const auto name = CommandToName(command)) {
    return std::string(*name);
  }
  return std::to_string(command);
}

}  // namespace torvane
