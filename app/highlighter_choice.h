// The 语法高亮 submenu of 查看: which highlighter paints the main window's
// editor, the x86 assembly one (the default) or NASM's. The choice is kept
// in torvane.ini, [View] Highlighter.
#pragma once

#include <QObject>
#include <memory>
#include <string>

class QAction;
class QMenu;

namespace torvane {

class TSrcAsmHighlighter;
class TSrcEditor;
class TSrcNasmHighlighter;

inline constexpr char kHighlighterKey[] = "Highlighter";
// The stored values; anything else reads as the assembly highlighter.
inline constexpr char kAsmHighlighterValue[] = "x86 Assembly";
inline constexpr char kNasmHighlighterValue[] = "NASM";

class THighlighterChoice : public QObject {
 public:
  // Adds the submenu at the end of `view_menu`, after a separator, and
  // attaches the highlighter the settings of `settings_directory` name.
  THighlighterChoice(QMenu& view_menu, TSrcEditor& editor, TSrcAsmHighlighter& asm_highlighter,
                     const std::string& settings_directory);
  ~THighlighterChoice() override;

  QMenu* Menu() const { return menu_; }
  QAction* AsmAction() const { return asm_action_; }
  QAction* NasmAction() const { return nasm_action_; }
  TSrcNasmHighlighter& NasmHighlighter() { return *nasm_; }
  bool NasmChosen() const;

 private:
  // Attaches the chosen highlighter (the editor repaints with its colours).
  void Apply(bool nasm);
  // A menu click: applies and stores the choice.
  void Choose(bool nasm);

  TSrcEditor& editor_;
  TSrcAsmHighlighter& asm_;
  std::unique_ptr<TSrcNasmHighlighter> nasm_;
  std::string settings_directory_;
  QMenu* menu_ = nullptr;
  QAction* asm_action_ = nullptr;
  QAction* nasm_action_ = nullptr;
};

}  // namespace torvane
