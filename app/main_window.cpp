// Main window layout, title rules and the menu commands.
#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>

#include "app/about_dialog.h"
#include "app/assembler.h"
#include "app/assembly_progress.h"
#include "app/editor_configuration.h"
#include "app/find_actions.h"
#include "app/find_bar.h"
#include "app/highlighter_choice.h"
#include "app/listing_pane.h"
#include "app/machine_code.h"
#include "app/macro_expansion.h"
#include "app/message_jump.h"
#include "app/nasm_completion.h"
#include "app/options_dialog.h"
#include "app/output_pane.h"
#include "app/program_debug.h"
#include "app/program_run.h"
#include "app/recent_files.h"
#include "app/recovery_keeper.h"
#include "app/settings.h"
#include "document/control/src_editor.h"
#include "highlight/asm_highlighter.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/error_box.h"

namespace torvane {
namespace {

const char kSourceFilter[] =
    "汇编语言源程序(*.asm;*.nasm;*.inc;*.s)|*.asm;*.nasm;*.inc;*.s|所有文件(*)|*";

QString FromFileName(const std::string& name) {
  return QFile::decodeName(QByteArray::fromStdString(name));
}

// Gives the editor the keyboard when a handler ends, however it ends (an
// error box included): whatever dialog the handler showed has gone by then.
struct TFocusBack {
  TFAsmEd& window;
  ~TFocusBack() { window.FocusEditor(); }
};

}  // namespace

TFAsmEd::TFAsmEd(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FAsmEd"));
  QFont window_font(QStringLiteral("MS Sans Serif"));
  window_font.setPixelSize(13);
  setFont(window_font);
  resize(kFirstRunSize);

  Splitter1 = new QSplitter(Qt::Vertical, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);
  SrcEditor1 = new TSrcEditor(Splitter1);
  SrcAsmHighlighter1 = std::make_unique<TSrcAsmHighlighter>();
  ConfigureSourceEditor(*SrcEditor1, *SrcAsmHighlighter1);
  SetUpNasmCompletion(*SrcEditor1);
  Memo1 = new QPlainTextEdit(Splitter1);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setAccessibleName(QStringLiteral("输出窗格"));
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  new TOutputPaneHighlighter(Memo1->document());
  CancelButton = new QPushButton(QStringLiteral("取消"), Memo1);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->hide();
  Splitter1->addWidget(SrcEditor1);
  Splitter1->addWidget(Memo1);
  // The pane keeps its height when the window grows; the editor takes the rest.
  Splitter1->setStretchFactor(0, 1);
  Splitter1->setStretchFactor(1, 0);
  Splitter1->setSizes({kFirstRunSize.height() - kFirstRunPaneHeight, kFirstRunPaneHeight});
  setCentralWidget(Splitter1);
  setTabOrder(Memo1, SrcEditor1);

  OpenDialog1.DefaultExt = QStringLiteral("*.asm");
  OpenDialog1.Filter = QString::fromUtf8(kSourceFilter);
  OpenDialog1.Title = QStringLiteral("打开汇编语言源程序文件");
  SaveDialog1.DefaultExt = QStringLiteral("*.asm");
  SaveDialog1.Filter = QString::fromUtf8(kSourceFilter);
  SaveDialog1.Title = QStringLiteral("保存汇编语言源程序文件");

  BuildMenus();
  FindActions = new TFindActions(*this);
  FormCreate();
  BuildEditCommands();
  RestoreWindowState();
  // The pane comes first in the tab order, yet typing is for the editor
  // from the start; Tab indents there, Ctrl+Tab moves on.
  SrcEditor1->installEventFilter(this);
  SrcEditor1->setFocus(Qt::OtherFocusReason);
}

TFAsmEd::~TFAsmEd() = default;

QAction* TFAsmEd::AddMenuCommand(QMenu* menu, const char* name, const QString& caption,
                                 void (TFAsmEd::*handler)()) {
  // Each menu command runs under the guard: an error it raises is shown in
  // the default error box and the program goes on.
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  connect(action, &QAction::triggered, this, [this, handler] { RunCommand(handler); });
  return action;
}

void TFAsmEd::RunCommand(void (TFAsmEd::*handler)()) {
  bool finished = false;
  RunGuarded(this, [&] {
    (this->*handler)();
    finished = true;
  });
  if (!finished) {
    FocusEditor();  // the error box has gone
  }
}

void TFAsmEd::BuildMenus() {
  auto add = [this](QMenu* menu, const char* name, const QString& caption,
                    void (TFAsmEd::*handler)()) {
    return AddMenuCommand(menu, name, caption, handler);
  };
  F1 = menuBar()->addMenu(QStringLiteral("文件(&F)"));
  F1->setObjectName(QStringLiteral("F1"));
  N1 = add(F1, "N1", QStringLiteral("新建源程序(&N)"), &TFAsmEd::N1Click);
  O2 = add(F1, "O2", QStringLiteral("打开源程序(&O)"), &TFAsmEd::O2Click);
  S1 = add(F1, "S1", QStringLiteral("保存(&S)"), &TFAsmEd::S1Click);
  SaveAs1 = add(F1, "SaveAs1", QStringLiteral("另存为(&A)…"), &TFAsmEd::SaveAsClick);
  F1->addSeparator()->setObjectName(QStringLiteral("N2"));
  C1 = add(F1, "C1", QStringLiteral("编译本文档(&C)"), &TFAsmEd::C1Click);
  F1->addSeparator()->setObjectName(QStringLiteral("N3"));
  Recent1 = F1->addMenu(QStringLiteral("最近打开的文件(&R)"));
  Recent1->setObjectName(QStringLiteral("Recent1"));
  connect(Recent1, &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
  F1->addSeparator()->setObjectName(QStringLiteral("RecentSeparator"));
  X1 = add(F1, "X1", QStringLiteral("退出(&X)"), &TFAsmEd::X1Click);
  O1 = menuBar()->addMenu(QStringLiteral("选项(&O)"));
  O1->setObjectName(QStringLiteral("O1"));
  V1 = add(O1, "V1", QStringLiteral("编译环境设置(&V)"), &TFAsmEd::V1Click);
  BuildEditAndViewMenus();
  BuildRunMenu();
  H1 = menuBar()->addMenu(QStringLiteral("说明(&H)"));
  H1->setObjectName(QStringLiteral("H1"));
  Torvane1 = add(H1, "Torvane1", QStringLiteral("关于&Torvane"), &TFAsmEd::Torvane1Click);
  BuildKeys();
}

void TFAsmEd::FormCreate() {
  SettingsDirectory = CurrentDirectory();
  assembler_path_ = ReadAssemblerPath(SettingsDirectory);
  setWindowTitle(QString::fromUtf8(DefaultTitle));
  ApplyViewSettings();
  HighlighterChoice1 = std::make_unique<THighlighterChoice>(*ViewMenu, *SrcEditor1,
                                                            *SrcAsmHighlighter1, SettingsDirectory);
  MachineCode1 = std::make_unique<TMachineCode>(*this);
  ListingPane1 = std::make_unique<TListingPane>(*this, *MachineCode1);
  MachineCode1->OnListingChanged = [this] { ListingPane1->ListingChanged(); };
  MacroExpansion1 = std::make_unique<TMacroExpansion>(*this);
  ProgramRun1 = std::make_unique<TProgramRun>(*this);
  ProgramDebug1 = std::make_unique<TProgramDebug>(*this);
  new TRecoveryKeeper(*this);  // a child of the window
}

void TFAsmEd::N1Click() {
  TFocusBack focus_back{*this};
  if (!MayDiscardText()) {
    return;
  }
  SrcEditor1->ClearAll();
  StartNewDocument(*SrcEditor1);
  current_file_name_.clear();
  assembly_source_.clear();
  setWindowTitle(QString::fromUtf8(DefaultTitle));
  Memo1->clear();
  DocumentReplaced();
  RecoveryKeeperOf(*this)->DocumentDiscarded();
}

void TFAsmEd::O2Click() {
  TFocusBack focus_back{*this};
  if (!MayDiscardText()) {
    return;
  }
  // The dialog starts where the current (or last) file is, not where the
  // previous choice was made.
  const std::string folder =
      current_file_name_.empty() ? last_folder_ : FolderOf(current_file_name_);
  OpenDialog1.InitialDir = FromFileName(folder);
  OpenDialog1.FileName.clear();
  if (!OpenDialog1.Execute(this)) {
    return;
  }
  if (OpenFile(OpenDialog1.FileSystemName())) {
    Memo1->clear();
  }
}

bool TFAsmEd::OpenNamedFile(const std::string& file_name) {
  TFocusBack focus_back{*this};
  return OpenFile(file_name);
}

void TFAsmEd::ShowOpenedFile(const std::string& file_name) {
  ScanFoldsOfLoadedText();
  current_file_name_ = file_name;
  assembly_source_.clear();
  ShowFileTitle();
  // The question about the old text was answered: the file as read is what
  // a save would keep.
  SrcEditor1->SetModified(false);
  RememberFile(file_name);
  DocumentReplaced();
  RecoveryKeeperOf(*this)->FileOpened(file_name);
}

void TFAsmEd::ShowFileTitle() {
  setWindowTitle(QStringLiteral("%1 [%2]").arg(QString::fromUtf8(DefaultTitle),
                                               FromFileName(current_file_name_)));
}

void TFAsmEd::DocumentReplaced() {
  FindActions->Bar->DocumentReplaced();
  RefreshStatusBar();
}

const std::string& TFAsmEd::AssemblySource() const {
  return assembly_source_.empty() ? current_file_name_ : assembly_source_;
}

void TFAsmEd::FocusEditor() {
  // Without a window manager nothing activates the window again when a
  // dialog has closed.
  if (isVisible() && QApplication::activeWindow() == nullptr) {
    activateWindow();
  }
  SrcEditor1->setFocus(Qt::OtherFocusReason);
}

bool TFAsmEd::eventFilter(QObject* watched, QEvent* event) {
  if (watched == SrcEditor1 && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (tab && (modifiers & Qt::ControlModifier) != 0 && (modifiers & Qt::AltModifier) == 0) {
      const bool back = key->key() == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier) != 0;
      focusNextPrevChild(!back);
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFAsmEd::S1Click() {
  TFocusBack focus_back{*this};
  Save();
}

bool TFAsmEd::Save() {
  bool saved = false;
  if (!current_file_name_.empty()) {
    saved = SrcEditor1->SaveDocument(current_file_name_, &SaveDialog1, 0);
    Memo1->clear();
  } else {
    saved = SrcEditor1->SaveDocument("", &SaveDialog1, doDefine);
    if (saved) {
      current_file_name_ = SaveDialog1.FileSystemName();
    }
  }
  if (saved) {
    SrcEditor1->SetModified(false);
    RememberFile(current_file_name_);
    RecoveryKeeperOf(*this)->DocumentSaved();
  }
  return saved;
}

void TFAsmEd::C1Click() {
  TFocusBack focus_back{*this};
  AssembleDocument();
}

bool TFAsmEd::AssembleDocument() {
  // A save that failed or was cancelled would have the assembler work on
  // something other than the text the user sees.
  if (!Save() || current_file_name_.empty()) {
    // An unnamed document whose save dialog was cancelled ends silently; a
    // named one was not saved (the overwrite question answered 否, a failed
    // write), so the assembly did not happen and the pane says so.
    if (!current_file_name_.empty()) {
      Memo1->setPlainText(QStringLiteral("编译已停止：文件没有保存。"));
    }
    return false;
  }
  if (!CheckAssembler()) {
    return false;
  }
  // An included file opened from the messages is assembled through the file
  // that includes it: on its own it would fail and leave a listing behind.
  const std::string source = AssemblySource();
  MessageJumps->AssemblyStarted(source);
  QStringList lines;
  {
    TAssemblyProgress progress(*this, *SrcEditor1, *Memo1, *CancelButton);
    assembling_ = true;
    struct Reset {
      bool& flag;
      ~Reset() { flag = false; }
    } reset{assembling_};
    lines = AssembleFile(assembler_path_, source, [&](TChildProcess& child) {
      progress.Attach(child, FromFileName(source));
    });
  }
  if (source != current_file_name_) {
    lines.prepend(QStringLiteral("编译的文件：%1").arg(FromFileName(source)));
  }
  ShowMessageSummary(lines, source);
  ShowPaneLines(lines);
  MessageJumps->AssemblyFinished();
  MachineCode1->AssemblyFinished();
  return true;
}

void TFAsmEd::ShowPaneLines(const QStringList& lines) {
  Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

void TFAsmEd::X1Click() {
  close();
}

void TFAsmEd::V1Click() {
  TFocusBack focus_back{*this};
  ShowOptionsDialog(this);
  assembler_path_ = ReadAssemblerPath(SettingsDirectory);
}

void TFAsmEd::Torvane1Click() {
  TFocusBack focus_back{*this};
  ShowAboutDialog(this);
}

bool TFAsmEd::FormClose() {
  return AskToSave(QStringLiteral("退出系统"),
                   QStringLiteral("文件没有保存，直接退出将丢失修改结果。保存吗？"));
}

bool TFAsmEd::MayDiscardText() {
  return AskToSave(QStringLiteral("保存修改"),
                   QStringLiteral("文件已经修改，不保存将丢失修改结果。保存吗？"));
}

bool TFAsmEd::AskToSave(const QString& caption, const QString& text) {
  if (!SrcEditor1->Modified()) {
    return true;
  }
  TMessageRequest question;
  question.parent = this;
  question.caption = caption;
  question.text = text;
  question.icon = TMsgIcon::Question;
  question.buttons = TMsgButtons::YesNo;
  question.captions = {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)")};
  switch (Dialogs().ShowMessage(question)) {
    case mrNo:
      return true;
    case mrYes:
      // The user asked for the changes to be kept: if they could not be
      // saved (dialog cancelled, write failed) the text stays.
      return Save();
    default:
      // Escape or the box's own close button decide nothing, so nothing is
      // thrown away.
      return false;
  }
}

void TFAsmEd::closeEvent(QCloseEvent* event) {
  // The run has to end first (Cancel or Escape); the text being assembled
  // stays as it is until then.
  if (assembling_) {
    event->ignore();
    return;
  }
  // Should the prompt itself fail, the window stays open: nothing is lost
  // and the user can try again.
  bool may_close = false;
  RunGuarded(this, [&] { may_close = FormClose(); });
  if (may_close) {
    // The emulator goes with the window (and so does its output).
    if (ProgramDebug1) {
      ProgramDebug1->Stop();
    }
    if (ProgramRun1) {
      ProgramRun1->StopAndWait();
    }
    RecoveryKeeperOf(*this)->Exiting();
    SaveWindowState();
    event->accept();
  } else {
    event->ignore();
    FocusEditor();
  }
}

}  // namespace torvane
