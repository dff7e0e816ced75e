// The machine-code column, its hint and the size in the status bar.
#include "app/machine_code.h"

#include <sys/stat.h>

#include <QAction>
#include <QEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <fstream>

#include "app/assembler.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "app/status_bar.h"
#include "app/view_settings.h"
#include "completion/proposal_hint.h"
#include "document/control/src_editor.h"
#include "listing/code_text.h"
#include "platform/codepage.h"
#include "platform/gui/color.h"
#include "platform/gui/error_box.h"
#include "view/text_drawer.h"

namespace torvane {
namespace {

inline constexpr TViewSwitchKey kMachineCodeKey{"MachineCode", false};
constexpr int kPadding = 3;  // pixels left and right of the text
// Colours as the editor keeps them (0x00BBGGRR).
constexpr TColor kColumnBackground = 0xEEF6F6;
constexpr TColor kCodeColor = 0x800000;   // navy
constexpr TColor kStaleColor = 0xAFAFAF;  // dimmed

bool ReadFile(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// Modification time in nanoseconds, or -1 when the file is missing.
long long Stamp(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    return -1;
  }
  return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

}  // namespace

TMachineCode::TMachineCode(TFAsmEd& window) : window_(window) {
  // After the switches, before the highlighter's submenu that ends the menu.
  action_ = new QAction(QStringLiteral("机器码(&M)"), window_.ViewMenu);
  action_->setObjectName(QStringLiteral("MachineCode1"));
  const QList<QAction*> items = window_.ViewMenu->actions();
  const qsizetype after = items.indexOf(window_.SpecialChars1);
  window_.ViewMenu->insertAction(
      after >= 0 && after + 1 < items.size() ? items[after + 1] : nullptr, action_);
  action_->setCheckable(true);
  connect(action_, &QAction::triggered, this,
          [this] { RunGuarded(&window_, [this] { Clicked(); }); });
  shown_ = ReadViewSwitch(SettingsDirectory, kMachineCodeKey);
  action_->setChecked(shown_);
  TSrcEditor& editor = *window_.SrcEditor1;
  editor.Model().AddLineObserver(this);
  editor.AddSideColumn(this);
  editor.viewport()->installEventFilter(this);
  hint_ = std::make_unique<TProposalHint>(editor.CompletionProposal());
}

TMachineCode::~TMachineCode() {
  TSrcEditor& editor = *window_.SrcEditor1;
  hint_->HideHint(editor);
  editor.RemoveSideColumn(this);
  editor.Model().RemoveLineObserver(this);
}

void TMachineCode::Clicked() {
  SetShown(action_->isChecked());
  WriteViewSwitch(SettingsDirectory, kMachineCodeKey, shown_);
}

void TMachineCode::SetShown(bool on) {
  shown_ = on;
  action_->setChecked(on);
  if (!on) {
    hint_->HideHint(*window_.SrcEditor1);
    hint_line_ = 0;
  } else if (out_of_date_ && !out_of_date_said_) {
    out_of_date_said_ = true;
    window_.Memo1->appendPlainText(QStringLiteral("机器码列已过期：列表文件与源程序不符。"));
  }
  window_.SrcEditor1->SideColumnChanged();
  window_.SrcEditor1->viewport()->update();
}

void TMachineCode::AssemblyFinished() {
  const std::string& source = window_.CurrentFileName();
  const TAssemblerRun run = PlanAssemblerRun(window_.AssemblerPath(), source);
  map_.reset();
  track_.Detach();
  listing_.clear();
  size_text_.clear();
  out_of_date_ = false;
  out_of_date_said_ = false;
  const long long source_stamp = Stamp(source);
  if (!source.empty() && ReadFile(run.listing_path, listing_)) {
    std::string binary;
    const bool fresh_binary =
        Stamp(run.binary_path) >= source_stamp && ReadFile(run.binary_path, binary);
    map_ = std::make_shared<const TListingMap>(
        TListingMap::Build(listing_, source, run.working_directory, binary, fresh_binary));
    address_digits_ = AddressDigits(*map_);
    out_of_date_ = Stamp(run.listing_path) < source_stamp || map_->UnplacedLines() > 0;
    AttachToCurrentFile();
    // A run without errors in the pane made the binary.
    const QString pane = window_.Memo1->toPlainText();
    const bool failed = pane.contains(QStringLiteral(": error:")) ||
                        pane.contains(QStringLiteral(": fatal:")) || !fresh_binary;
    if (!failed) {
      size_text_ = QStringLiteral("%1 字节").arg(static_cast<qulonglong>(binary.size()));
    }
    if (const std::optional<std::uint64_t> overrun = BootSectorOverrun(*map_)) {
      if (!size_text_.isEmpty()) {
        size_text_ += QStringLiteral("；");
      }
      size_text_ += QStringLiteral("引导扇区的代码多出 %1 字节，占用了最后两个字节")
                        .arg(static_cast<qulonglong>(*overrun));
    }
  }
  ShowSize();
  SetShown(shown_);
  if (OnListingChanged) {
    OnListingChanged();
  }
}

void TMachineCode::ShowSize() {
  if (window_.StatusBar != nullptr && !size_text_.isEmpty()) {
    window_.StatusBar->showMessage(size_text_);
  }
}

void TMachineCode::AttachToCurrentFile() {
  const int file = map_ == nullptr ? -1 : map_->FindFile(window_.CurrentFileName());
  if (file < 0) {
    track_.Detach();
    return;
  }
  track_.Attach(map_, file, window_.SrcEditor1->LastShownLineNumber());
}

TLineText TMachineCode::Texts() const {
  const TSrcEditModel& model = window_.SrcEditor1->Model();
  return [&model](int expanded) -> std::string_view {
    bool hidden = false;
    const int present = model.Folds().PresentLineNumber(expanded, &hidden);
    if (hidden || present < 1 || present > model.LineCount()) {
      return {};
    }
    return model.LineText(present);
  };
}

TTrackedCode TMachineCode::CodeOfLine(int line) const {
  return track_.Lookup(line, Texts());
}

int TMachineCode::CurrentLineOf(int assembled) const {
  return track_.CurrentLine(assembled, Texts());
}

QString TMachineCode::ColumnText(int line, bool* stale) const {
  const TTrackedCode tracked = CodeOfLine(line);
  if (stale != nullptr) {
    *stale = tracked.Stale;
  }
  if (tracked.Code == nullptr) {
    return {};
  }
  return QString::fromStdString(torvane::ColumnText(*map_, *tracked.Code, address_digits_));
}

QString TMachineCode::HintText(int line) const {
  const TTrackedCode tracked = CodeOfLine(line);
  if (tracked.Code == nullptr || !tracked.Code->HasCode()) {
    return {};
  }
  std::vector<std::string_view> lines;
  const std::string_view all = listing_;
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t end = std::min(all.find('\n', at), all.size());
    lines.push_back(all.substr(at, end - at));
    at = end + 1;
  }
  return QString::fromStdString(torvane::HintText(*map_, *tracked.Code, lines));
}

int TMachineCode::Width(const TCustomSrcEdit& editor) const {
  if (!shown_ || !track_.Attached()) {
    return 0;
  }
  return ColumnCells(address_digits_) *
             QFontMetrics(editor.Font()).horizontalAdvance(QLatin1Char('0')) +
         2 * kPadding;
}

void TMachineCode::PaintRow(TCustomSrcEdit& editor, QPainter& painter, const QRect& cell, int line,
                            bool first_row) {
  std::string text;
  bool stale = false;
  if (line > 0 && first_row) {
    const TTrackedCode tracked = CodeOfLine(editor.Model().Folds().ExpandedLineNumber(line));
    stale = tracked.Stale;
    if (tracked.Code != nullptr) {
      text = torvane::ColumnText(*map_, *tracked.Code, address_digits_);
      // Only the ellipsis needs the document's code page.
      if (std::any_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; })) {
        text = EncodeText(QString::fromStdString(text));
      }
    }
  }
  const TColumnRowImages::TInk& ink = rows_.Row(
      editor.Font(), editor.TextDrawer().UnicodeFontName(), cell.size(),
      painter.device()->devicePixelRatio(), kPadding, text, stale ? kStaleColor : kCodeColor,
      kColumnBackground, 2 * static_cast<std::size_t>(std::max(editor.VisibleRows(), 1)) + 8);
  painter.fillRect(cell, ToQColor(kColumnBackground));
  if (!ink.Image.isNull()) {
    painter.drawImage(cell.topLeft() + ink.At, ink.Image);
  }
}

void TMachineCode::LinesInserted(int line, int count) {
  track_.LinesInserted(line, count);
}

void TMachineCode::LinesDeleted(int line, int count) {
  track_.LinesDeleted(line, count);
}

void TMachineCode::LinesCleared() {
  track_.LinesCleared();
  // Another file opens: an included one of the last assembly still has
  // its code. The file name is known once the opening is over.
  QTimer::singleShot(0, this, [this] {
    AttachToCurrentFile();
    window_.SrcEditor1->SideColumnChanged();
  });
}

void TMachineCode::UpdateHint(int x, int y) {
  TSrcEditor& editor = *window_.SrcEditor1;
  const int left = editor.SideColumnLeft(this);
  const int right = left + editor.SideColumnWidthOf(this);
  int line = 0;
  if (shown_ && left >= 0 && x >= left && x < right) {
    const int row = editor.FirstVisibleRow() + y / std::max(editor.RowHeight(), 1);
    if (row >= 1 && row <= editor.Model().Mapping().DisplayRowCount()) {
      line = editor.Model().Folds().ExpandedLineNumber(editor.Model().Mapping().LineOfRow(row));
    }
  }
  if (line == hint_line_) {
    return;
  }
  hint_line_ = line;
  const QString text = line > 0 ? HintText(line) : QString();
  if (text.isEmpty()) {
    hint_->HideHint(editor);
    return;
  }
  std::vector<std::string> lines;
  for (const QString& piece : text.split(QLatin1Char('\n'))) {
    lines.push_back(piece.toStdString());
  }
  const int row_top = (y / std::max(editor.RowHeight(), 1) + 1) * editor.RowHeight();
  hint_->ShowHint(editor, lines, editor.viewport()->mapToGlobal(QPoint(left, row_top)),
                  editor.Font());
}

bool TMachineCode::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_.SrcEditor1->viewport()) {
    if (event->type() == QEvent::MouseMove) {
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      UpdateHint(at.x(), at.y());
    } else if (event->type() == QEvent::Leave || event->type() == QEvent::Hide) {
      UpdateHint(-1, -1);
    }
  }
  return false;
}

}  // namespace torvane
