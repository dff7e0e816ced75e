// Editor configuration of the main window's source editor.
#include "app/editor_configuration.h"

#include <QFont>

#include "document/control/src_editor.h"
#include "highlight/asm_highlighter.h"
#include "highlight/highlighter_attributes.h"
#include "platform/colors.h"
#include "view/src_edit_input.h"

namespace torvane {

void ConfigureSourceEditor(TSrcEditor& editor, TSrcAsmHighlighter& highlighter) {
  editor.setObjectName(QStringLiteral("SrcEditor1"));
  editor.setAccessibleName(QStringLiteral("源程序编辑器"));
  QFont font(QStringLiteral("Courier New"));
  font.setPixelSize(18);
  font.setFixedPitch(true);
  font.setStyleHint(QFont::Monospace);
  editor.SetFont(font);
  editor.SetFontColor(clWindowText);

  TSrcGutter& gutter = editor.Gutter();
  gutter.SetShowLineNumbers(true);
  QFont gutter_font(QStringLiteral("Courier New"));
  gutter_font.setPixelSize(13);
  gutter.SetFont(gutter_font);
  gutter.SetShowLineModified(false);
  gutter.SetLineModifiedColor(clYellow);
  gutter.SetLineNormalColor(clLime);
  gutter.SetLeftOffsetColor(clNone);
  gutter.SetRightOffsetColor(clNone);

  editor.RightEdge().SetVisible(true);
  editor.RightEdge().SetPosition(80);
  editor.RightEdge().SetColor(clSilver);
  editor.RightEdge().SetStyle(psSolid);
  editor.RightEdge().SetMouseMove(false);
  editor.ActiveLine().SetVisible(true);
  editor.ActiveLine().SetForeground(clNone);
  editor.ActiveLine().SetBackground(clNone);
  editor.LineDivider().SetVisible(false);
  editor.LineDivider().SetColor(clRed);
  editor.LineDivider().SetStyle(psSolid);
  editor.SetLineSpacing(0);
  editor.SetLineSpacingRule(lsSingle);
  editor.Background().SetVisible(false);
  editor.Background().SetRepeatMode(brmNone);
  // Word wrap stays off; WordWrap().SetEnabled(true) switches it on fully.
  editor.WordWrap().SetEnabled(false);
  editor.WordWrap().SetPosition(80);
  editor.WordWrap().SetStyle(wwsClientWidth);
  editor.SelectedColor().SetBackground(clBlue);
  // Folding stays off; CodeFolding().SetEnabled(true) switches it on fully.
  editor.CodeFolding().SetCaseSensitive(false);
  editor.CodeFolding().SetFolderBarLinesColor(9617866);

  highlighter.CommentAttri()->SetForeground(clGrayText);
  highlighter.CommentAttri()->SetStyle(TFontStyles{});
  highlighter.NumberAttri()->SetForeground(clRed);
  highlighter.StringAttri()->SetForeground(clMaroon);
  editor.SetHighlighter(&highlighter);

  editor.SetDocumentState(smsNormal);
  // A file that shows no break style of its own is written as a new one.
  editor.SetUnseenLineBreaks(kNewDocumentFormat, true);
  StartNewDocument(editor);
  // Tab indents in an assembly editor; Ctrl+Tab moves the focus on.
  editor.Input().SetWantTabs(true);
}

void StartNewDocument(TSrcEditor& editor) {
  editor.SetDocumentFormat(kNewDocumentFormat);
  editor.SetFinalLineBreak(true);
}

}  // namespace torvane
