// Editor command numbers and the one table that maps them to their names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace torvane {

// A command the executor switches over; 0 is no command, 1001 and up belong
// to the user. Selection-extending moves are their plain move + 100.
using TSrcEditorCommand = std::uint16_t;

inline constexpr TSrcEditorCommand ecNone = 0;
inline constexpr TSrcEditorCommand ecLeft = 1;
inline constexpr TSrcEditorCommand ecRight = 2;
inline constexpr TSrcEditorCommand ecUp = 3;
inline constexpr TSrcEditorCommand ecDown = 4;
inline constexpr TSrcEditorCommand ecWordLeft = 5;
inline constexpr TSrcEditorCommand ecWordRight = 6;
inline constexpr TSrcEditorCommand ecLineStart = 7;
inline constexpr TSrcEditorCommand ecLineEnd = 8;
inline constexpr TSrcEditorCommand ecPageUp = 9;
inline constexpr TSrcEditorCommand ecPageDown = 10;
inline constexpr TSrcEditorCommand ecPageLeft = 11;
inline constexpr TSrcEditorCommand ecPageRight = 12;
inline constexpr TSrcEditorCommand ecPageTop = 13;
inline constexpr TSrcEditorCommand ecPageBottom = 14;
inline constexpr TSrcEditorCommand ecEditorTop = 15;
inline constexpr TSrcEditorCommand ecEditorBottom = 16;
inline constexpr TSrcEditorCommand ecGotoXY = 17;

inline constexpr TSrcEditorCommand ecSelection = 100;  // offset of the selecting twins
inline constexpr TSrcEditorCommand ecSelLeft = ecLeft + ecSelection;
inline constexpr TSrcEditorCommand ecSelRight = ecRight + ecSelection;
inline constexpr TSrcEditorCommand ecSelUp = ecUp + ecSelection;
inline constexpr TSrcEditorCommand ecSelDown = ecDown + ecSelection;
inline constexpr TSrcEditorCommand ecSelWordLeft = ecWordLeft + ecSelection;
inline constexpr TSrcEditorCommand ecSelWordRight = ecWordRight + ecSelection;
inline constexpr TSrcEditorCommand ecSelLineStart = ecLineStart + ecSelection;
inline constexpr TSrcEditorCommand ecSelLineEnd = ecLineEnd + ecSelection;
inline constexpr TSrcEditorCommand ecSelPageUp = ecPageUp + ecSelection;
inline constexpr TSrcEditorCommand ecSelPageDown = ecPageDown + ecSelection;
inline constexpr TSrcEditorCommand ecSelPageLeft = ecPageLeft + ecSelection;
inline constexpr TSrcEditorCommand ecSelPageRight = ecPageRight + ecSelection;
inline constexpr TSrcEditorCommand ecSelPageTop = ecPageTop + ecSelection;
inline constexpr TSrcEditorCommand ecSelPageBottom = ecPageBottom + ecSelection;
inline constexpr TSrcEditorCommand ecSelEditorTop = ecEditorTop + ecSelection;
inline constexpr TSrcEditorCommand ecSelEditorBottom = ecEditorBottom + ecSelection;
inline constexpr TSrcEditorCommand ecSelGotoXY = ecGotoXY + ecSelection;

inline constexpr TSrcEditorCommand ecSelWord = 198;
inline constexpr TSrcEditorCommand ecSelectAll = 199;
inline constexpr TSrcEditorCommand ecCopy = 201;

inline constexpr TSrcEditorCommand ecScrollUp = 211;
inline constexpr TSrcEditorCommand ecScrollDown = 212;
inline constexpr TSrcEditorCommand ecScrollLeft = 213;
inline constexpr TSrcEditorCommand ecScrollRight = 214;

inline constexpr TSrcEditorCommand ecInsertMode = 221;
inline constexpr TSrcEditorCommand ecOverwriteMode = 222;
inline constexpr TSrcEditorCommand ecToggleMode = 223;

inline constexpr TSrcEditorCommand ecNormalSelect = 231;
inline constexpr TSrcEditorCommand ecColumnSelect = 232;
inline constexpr TSrcEditorCommand ecLineSelect = 233;

inline constexpr TSrcEditorCommand ecMatchBracket = 250;
inline constexpr TSrcEditorCommand ecCommentBlock = 251;

// ecGotoMarker<n> is 301 + n and ecSetMarker<n> is 351 + n, n = 0…9.
inline constexpr TSrcEditorCommand ecGotoMarker0 = 301;
inline constexpr TSrcEditorCommand ecGotoMarker9 = 310;
inline constexpr TSrcEditorCommand ecSetMarker0 = 351;
inline constexpr TSrcEditorCommand ecSetMarker9 = 360;

// Sent by the editor itself when it gains or loses the focus; they have no name.
inline constexpr TSrcEditorCommand ecFocusGained = 480;
inline constexpr TSrcEditorCommand ecFocusLost = 481;

inline constexpr TSrcEditorCommand ecContextHelp = 490;

// 501…600 change text; the folding guard blocks them on a collapsed line.
inline constexpr TSrcEditorCommand ecEditCommandFirst = 501;
inline constexpr TSrcEditorCommand ecEditCommandLast = 600;

inline constexpr TSrcEditorCommand ecDeleteLastChar = 501;
inline constexpr TSrcEditorCommand ecDeleteChar = 502;
inline constexpr TSrcEditorCommand ecDeleteWord = 503;
inline constexpr TSrcEditorCommand ecDeleteLastWord = 504;
inline constexpr TSrcEditorCommand ecDeleteBOL = 505;
inline constexpr TSrcEditorCommand ecDeleteEOL = 506;
inline constexpr TSrcEditorCommand ecDeleteLine = 507;
inline constexpr TSrcEditorCommand ecClearAll = 508;
inline constexpr TSrcEditorCommand ecLineBreak = 509;
inline constexpr TSrcEditorCommand ecInsertLine = 510;
inline constexpr TSrcEditorCommand ecChar = 511;
inline constexpr TSrcEditorCommand ecImeStr = 550;

inline constexpr TSrcEditorCommand ecUndo = 601;
inline constexpr TSrcEditorCommand ecRedo = 602;
inline constexpr TSrcEditorCommand ecCut = 603;
inline constexpr TSrcEditorCommand ecPaste = 604;

inline constexpr TSrcEditorCommand ecBlockIndent = 610;
inline constexpr TSrcEditorCommand ecBlockUnindent = 611;
inline constexpr TSrcEditorCommand ecTab = 612;
inline constexpr TSrcEditorCommand ecShiftTab = 613;

inline constexpr TSrcEditorCommand ecUpperCase = 620;
inline constexpr TSrcEditorCommand ecLowerCase = 621;
inline constexpr TSrcEditorCommand ecToggleCase = 622;
inline constexpr TSrcEditorCommand ecTitleCase = 623;
inline constexpr TSrcEditorCommand ecUpperCaseBlock = 625;
inline constexpr TSrcEditorCommand ecLowerCaseBlock = 626;
inline constexpr TSrcEditorCommand ecToggleCaseBlock = 627;

inline constexpr TSrcEditorCommand ecString = 630;
inline constexpr TSrcEditorCommand ecAutoCompletion = 650;

inline constexpr TSrcEditorCommand ecUserFirst = 1001;

constexpr TSrcEditorCommand ecGotoMarker(int n) {
  return static_cast<TSrcEditorCommand>(ecGotoMarker0 + n);
}
constexpr TSrcEditorCommand ecSetMarker(int n) {
  return static_cast<TSrcEditorCommand>(ecSetMarker0 + n);
}

// One row of the name table.
struct TSrcEditorCommandName {
  TSrcEditorCommand Command;
  const char* Name;
};

// The 101 rows of the name table, in display order.
inline constexpr int CommandNameCount = 101;
const TSrcEditorCommandName& CommandNameAt(int index);

// The name of a command, if it has one.
std::optional<std::string_view> CommandToName(TSrcEditorCommand command);

// The command of a name, compared without regard to letter case.
std::optional<TSrcEditorCommand> NameToCommand(std::string_view name);

// The name, or the decimal number for a command without one.
std::string CommandToText(TSrcEditorCommand command);

}  // namespace torvane
