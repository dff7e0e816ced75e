// The debugging session: the emulator under its stub, the source's
// breakpoints placed through the line map, and the window's state while it
// lasts (read-only source, current line, panel).
#include "app/program_debug.h"

#include <QKeyEvent>
#include <QShortcut>
#include <QSocketNotifier>

#include "app/breakpoint_margin.h"
#include "app/debug_panel.h"
#include "app/machine_code.h"
#include "app/main_window.h"
#include "app/program_run.h"
#include "document/control/src_editor.h"
#include "platform/file_access.h"
#include "platform/gui/dialogs.h"

namespace torvane {
namespace {

// The current line's colour: light yellow.
constexpr TColor kCurrentLineColor = 0x80FFFF;

// How long the program may run before the note says it has not stopped.
constexpr int kStillRunningMs = 2000;

QString SegmentOffset(const TX86Registers& r) {
  const bool wide = r.Code32();
  return QStringLiteral("%1:%2")
      .arg(r[xrCs] & 0xFFFF, 4, 16, QLatin1Char('0'))
      .arg(wide ? r[xrEip] : r[xrEip] & 0xFFFF, wide ? 8 : 4, 16, QLatin1Char('0'))
      .toUpper();
}

}  // namespace

TProgramDebug::TProgramDebug(TFAsmEd& window) : window_(window) {
  TSrcEditor& editor = *window_.SrcEditor1;
  margin_ =
      std::make_unique<TBreakpointMargin>(editor, [this] { return window_.CurrentFileName(); });
  margin_->OnChanged = [this](int line, bool on) {
    if (!active_) {
      return;
    }
    Guarded([&] {
      const int file = EditorFileIndex();
      if (file < 0) {
        return;
      }
      const bool was_running = stub_.Running();
      if (was_running) {
        stub_.Interrupt();
      }
      if (!on) {
        source_->ClearBreakpoint({file, line});
      } else if (const std::optional<TSourcePlace> placed = source_->SetBreakpoint({file, line})) {
        if (placed->Line != line) {
          margin_->Move(line, placed->Line);
          SetNote(
              QStringLiteral("第 %1 行没有代码，断点移到了第 %2 行。").arg(line).arg(placed->Line));
        }
      } else {
        SetNote(QStringLiteral("第 %1 行之后没有代码，断点无效。").arg(line));
      }
      if (was_running) {
        Resume();
      }
    });
  };
  editor.OnSpecialLineColors = [this](TCustomSrcEdit& sender, int line, TColor& fg, TColor& bg) {
    if (!active_ || margin_->CurrentLine() == 0 ||
        sender.Model().Folds().ExpandedLineNumber(line) != margin_->CurrentLine()) {
      return false;
    }
    fg = clNone;
    bg = kCurrentLineColor;
    return true;
  };
  editor.installEventFilter(this);
  still_running_.setSingleShot(true);
  connect(&still_running_, &QTimer::timeout, this, [this] {
    if (active_ && stub_.Running()) {
      SetNote(
          QStringLiteral("程序运行了 %1 秒仍未停在断点，可能在循环或已停机；按 Shift+F5 停止调试。")
              .arg(kStillRunningMs / 1000));
    }
  });
  panel_ = new TDebugPanel(&window_);
  panel_->ReadMemory = [this](std::uint32_t address, std::size_t size) {
    return stub_.ReadMemory(address, size);
  };
  panel_->LabelAddress = [this](const std::string& name) { return LabelAddress(name); };
  window_.addDockWidget(Qt::RightDockWidgetArea, panel_);
  // Escape in the panel goes back to the source.
  new QShortcut(
      QKeySequence(Qt::Key_Escape), panel_, [this] { window_.FocusEditor(); },
      Qt::WidgetWithChildrenShortcut);
  panel_->hide();
}

TProgramDebug::~TProgramDebug() {
  window_.SrcEditor1->OnSpecialLineColors = nullptr;
  window_.SrcEditor1->removeEventFilter(this);
  notifier_.reset();
  stub_.Close();
}

template <typename Action>
void TProgramDebug::Guarded(Action action) {
  try {
    action();
  } catch (const EDebugError& error) {
    Fail(QString::fromStdString(error.what()));
  }
}

void TProgramDebug::Debug() {
  if (active_) {
    Continue();
    return;
  }
  if (window_.Assembling()) {
    return;
  }
  Guarded([this] {
    if (!Start()) {
      End();
    }
  });
}

bool TProgramDebug::Start() {
  TSrcEditor& editor = *window_.SrcEditor1;
  // The map comes from an assembly of this session of the window.
  if (editor.Modified() || window_.MachineCode1->Map() == nullptr) {
    if (!window_.AssembleDocument()) {
      return false;
    }
  }
  socket_dir_ = std::make_unique<QTemporaryDir>();
  const std::string socket = socket_dir_->path().toStdString() + "/stub";
  window_.ProgramRun1->Run({"-S", "-gdb", "unix:" + socket + ",server=on,wait=off"});
  if (!window_.ProgramRun1->Running()) {
    return false;  // it said why (an assembly error, a missing emulator, no signature)
  }
  if (window_.ProgramRun1->RunsDos()) {
    window_.ProgramRun1->Stop();
    Fail(QStringLiteral("调试只用于 QEMU 启动的引导扇区和磁盘映像，DOS 程序请用“运行”。"));
    return false;
  }
  map_ = window_.MachineCode1->Map();
  if (map_ == nullptr || map_->Empty()) {
    Fail(QStringLiteral("没有列表文件，无法按源程序行调试。请先编译（F9）。"));
    return false;
  }
  stub_.Connect(socket, kStubReplyTimeoutMs);
  source_ = std::make_unique<TSourceStepping>(stub_, map_);
  active_ = true;
  moved_said_ = false;
  overwritten_said_ = false;
  protected_said_ = false;
  editor.SetReadOnly(true);
  margin_->SetActive(true);
  panel_->show();
  PlaceBreakpoints();
  if (stub_.Breakpoints().empty()) {
    // Nothing to run to: stop at the program's first instruction.
    stub_.InsertBreakpoint(kBootLoadAddress);
    temporary_.insert(kBootLoadAddress);
  }
  Resume();
  return true;
}

void TProgramDebug::PlaceBreakpoints() {
  for (const auto& [file_name, lines] : margin_->AllLines()) {
    const int file = map_->FindFile(file_name);
    if (file < 0) {
      continue;
    }
    const bool in_editor = SameFile(file_name, window_.CurrentFileName());
    for (const int line : std::set<int>(lines)) {
      const std::optional<TSourcePlace> placed = source_->SetBreakpoint({file, line});
      if (placed && placed->Line != line && in_editor) {
        margin_->Move(line, placed->Line);
        if (!moved_said_) {
          moved_said_ = true;
          SetNote(
              QStringLiteral("第 %1 行没有代码，断点移到了第 %2 行。").arg(line).arg(placed->Line));
        }
      }
    }
  }
}

void TProgramDebug::Resume() {
  stub_.Resume();
  SetNote(QStringLiteral("程序正在运行…"));
  // A breakpoint that is never reached (the program loops or halts): say
  // so, the window stays usable and 停止 ends it.
  still_running_.start(kStillRunningMs);
  notifier_ = std::make_unique<QSocketNotifier>(stub_.Descriptor(), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    Guarded([this] {
      if (!stub_.Running() || !stub_.WaitStop(0)) {
        return;
      }
      notifier_.release()->deleteLater();
      Stopped();
    });
  });
}

void TProgramDebug::Continue() {
  if (!active_ || stub_.Running()) {
    return;
  }
  Guarded([this] { Resume(); });
}

void TProgramDebug::StepInto() {
  if (!active_ || stub_.Running()) {
    return;
  }
  Guarded([this] {
    source_->StepInto();
    Stopped();
    SayIfHaltedForever();
  });
}

void TProgramDebug::StepOver() {
  if (!active_ || stub_.Running()) {
    return;
  }
  Guarded([this] {
    source_->StepOverLine();
    Stopped();
    SayIfHaltedForever();
  });
}

void TProgramDebug::RunToCursor() {
  if (!active_ || stub_.Running()) {
    return;
  }
  Guarded([this] {
    const int file = EditorFileIndex();
    TSrcEditModel& model = window_.SrcEditor1->Model();
    TSourcePlace place{file, model.Folds().ExpandedLineNumber(model.CaretLine())};
    const std::optional<std::uint32_t> address =
        file < 0 ? std::nullopt : source_->AddressOfLine(place);
    if (!address) {
      SetNote(QStringLiteral("光标所在行及其后没有代码。"));
      return;
    }
    if (stub_.Breakpoints().count(*address) == 0) {
      stub_.InsertBreakpoint(*address);
      temporary_.insert(*address);
    }
    Resume();
  });
}

void TProgramDebug::ToggleBreakpoint() {
  TSrcEditModel& model = window_.SrcEditor1->Model();
  margin_->Toggle(model.Folds().ExpandedLineNumber(model.CaretLine()));
}

void TProgramDebug::Stopped() {
  still_running_.stop();
  for (const std::uint32_t address : temporary_) {
    stub_.RemoveBreakpoint(address);
  }
  temporary_.clear();
  const TX86Registers registers = stub_.Registers();
  stop_place_ = source_->PlaceOfAddress(registers.LinearIp());
  TSrcEditor& editor = *window_.SrcEditor1;
  if (stop_place_) {
    const std::string& file = map_->Files()[static_cast<std::size_t>(stop_place_->File)];
    if (!SameFile(file, window_.CurrentFileName())) {
      // A stop in an included file shows that file; F9 and F6 still take
      // the file that was assembled.
      const std::string main = map_->Files().front();
      if (window_.OpenNamedFile(file)) {
        window_.SetAssemblySource(SameFile(file, main) ? std::string() : main);
        editor.SetReadOnly(true);
      }
    }
  }
  if (stop_place_ && SameFile(map_->Files()[static_cast<std::size_t>(stop_place_->File)],
                              window_.CurrentFileName())) {
    margin_->SetCurrentLine(stop_place_->Line);
    TSrcEditModel& model = editor.Model();
    const TBufferPos pos = model.RevealExpandedLine(stop_place_->Line);
    model.PlaceCaretAndSelection(pos, pos, pos);
    editor.ScrollCaretIntoView(true);
    SetNote(QStringLiteral("程序停在第 %1 行（%2）。")
                .arg(stop_place_->Line)
                .arg(SegmentOffset(registers)));
  } else if (source_->PastTheEnd(registers.LinearIp())) {
    margin_->SetCurrentLine(0);
    SetNote(QStringLiteral("程序越过了代码的末尾，停在 %1，这里没有源程序；寄存器是此刻的值。")
                .arg(SegmentOffset(registers)));
  } else {
    margin_->SetCurrentLine(0);
    SetNote(QStringLiteral("程序停在 %1，这里没有源程序。").arg(SegmentOffset(registers)));
  }
  NoteModeAndCode(registers);
  panel_->ShowStop(registers, last_registers_);
  last_registers_ = registers;
  editor.viewport()->update();
}

void TProgramDebug::NoteModeAndCode(const TX86Registers& registers) {
  QString said;
  // Each once a session: a switch of mode, and code that no longer is what
  // was assembled (the line map then shows what used to be there).
  if (registers.Protected != protected_said_) {
    protected_said_ = registers.Protected;
    said += registers.Protected
                ? QStringLiteral(
                      "程序已切换到保护模式：寄存器以 32 位显示，地址按段基址 + 偏移对应源程序行。")
                : QStringLiteral("程序已回到实模式。");
  }
  if (stop_place_ && !overwritten_said_ && !source_->CodeAsAssembled(*stop_place_)) {
    overwritten_said_ = true;
    said += QStringLiteral("内存中第 %1 行的代码已被程序改写，与源程序不再一致，按行调试可能不准。")
                .arg(stop_place_->Line);
  }
  if (!said.isEmpty()) {
    SetNote(Note() + said);
  }
}

void TProgramDebug::SayIfHaltedForever() {
  if (source_ != nullptr && source_->HaltsForever()) {
    SetNote(Note() + QStringLiteral("这里的 hlt 在中断关闭时执行，程序会永远停机，单步不再前进；"
                                    "按 Shift+F5 停止调试。"));
  }
}

void TProgramDebug::Fail(const QString& text) {
  End();
  TMessageRequest message;
  message.parent = &window_;
  message.caption = QStringLiteral("调试");
  message.text = text;
  message.icon = TMsgIcon::Warning;
  message.buttons = TMsgButtons::Ok;
  Dialogs().ShowMessage(message);
}

void TProgramDebug::Stop() {
  End();
}

void TProgramDebug::End() {
  still_running_.stop();
  notifier_.reset();
  stub_.Close();
  temporary_.clear();
  if (window_.ProgramRun1->Running()) {
    window_.ProgramRun1->Stop();
  }
  if (active_) {
    window_.SrcEditor1->SetReadOnly(false);
  }
  active_ = false;
  margin_->SetCurrentLine(0);
  margin_->SetActive(false);
  panel_->hide();
  source_.reset();
  map_.reset();
  stop_place_.reset();
  last_registers_.reset();
  socket_dir_.reset();
  window_.SrcEditor1->viewport()->update();
}

void TProgramDebug::SetNote(const QString& text) {
  panel_->SetNote(text);
}

QString TProgramDebug::Note() const {
  return panel_->Note();
}

int TProgramDebug::CurrentLine() const {
  return margin_->CurrentLine();
}

int TProgramDebug::EditorFileIndex() const {
  return map_ == nullptr ? -1 : map_->FindFile(window_.CurrentFileName());
}

std::optional<std::uint32_t> TProgramDebug::LabelAddress(const std::string& name) const {
  if (source_ == nullptr || name.empty()) {
    return std::nullopt;
  }
  // A label at a line's start, with or without its colon, in the file in
  // the editor.
  const int file = EditorFileIndex();
  const TSrcEditModel& model = window_.SrcEditor1->Model();
  const std::string text = model.AllText();
  std::size_t at = 0;
  for (int line = 1; at <= text.size(); ++line) {
    const std::size_t end = std::min(text.find("\r\n", at), text.size());
    const std::string_view row(text.data() + at, end - at);
    if (row.starts_with(name) && (row.size() == name.size() || row[name.size()] == ':' ||
                                  row[name.size()] == ' ' || row[name.size()] == '\t')) {
      TSourcePlace place{file, line};
      return file < 0 ? std::nullopt : source_->AddressOfLine(place);
    }
    at = end + 2;
  }
  return std::nullopt;
}

bool TProgramDebug::eventFilter(QObject* watched, QEvent* event) {
  if (active_ && watched == window_.SrcEditor1 && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!key->text().isEmpty() && key->text()[0].isPrint()) {
      SetNote(QStringLiteral("调试时源程序是只读的，停止调试（Shift+F5）后才能编辑。"));
    }
  }
  return false;
}

}  // namespace torvane
