// The listing pane and its two-way step with the source.
#include "app/listing_pane.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTimer>

#include "app/machine_code.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "app/view_settings.h"
#include "document/control/src_editor.h"
#include "platform/codepage.h"
#include "platform/gui/error_box.h"

namespace torvane {
namespace {

inline constexpr TViewSwitchKey kListingPaneKey{"ListingPane", false};

// NASM's columns: line number, offset, bytes; messages in red.
class TListingColours : public QSyntaxHighlighter {
 public:
  using QSyntaxHighlighter::QSyntaxHighlighter;

 protected:
  void highlightBlock(const QString& text) override {
    if (text.size() > 16 && text.mid(16, 18) == QString(18, QLatin1Char('*'))) {
      setFormat(0, static_cast<int>(text.size()), QColor(200, 0, 0));
      return;
    }
    setFormat(0, std::min<int>(6, static_cast<int>(text.size())), QColor(128, 128, 128));
    setFormat(7, 8, QColor(0, 0, 128));
    setFormat(16, 19, QColor(128, 0, 0));
  }
};

}  // namespace

TListingPane::TListingPane(TFAsmEd& window, TMachineCode& code) : window_(window), code_(code) {
  action_ = new QAction(QStringLiteral("列表文件(&T)"), window_.ViewMenu);
  action_->setObjectName(QStringLiteral("ListingPane1"));
  action_->setCheckable(true);
  const QList<QAction*> items = window_.ViewMenu->actions();
  const qsizetype after = items.indexOf(code_.Action());
  window_.ViewMenu->insertAction(
      after >= 0 && after + 1 < items.size() ? items[after + 1] : nullptr, action_);
  connect(action_, &QAction::triggered, this, [this] {
    RunGuarded(&window_, [this] {
      SetShown(action_->isChecked());
      WriteViewSwitch(SettingsDirectory, kListingPaneKey, shown_);
    });
  });
  pane_ = new QPlainTextEdit();
  pane_->setObjectName(QStringLiteral("ListingPane"));
  pane_->setAccessibleName(QStringLiteral("列表文件"));
  pane_->setReadOnly(true);
  pane_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont font(QStringLiteral("Courier New"));
  font.setPixelSize(13);
  pane_->setFont(font);
  new TListingColours(pane_->document());
  pane_viewport_ = pane_->viewport();
  editor_viewport_ = window_.SrcEditor1->viewport();
  pane_viewport_->installEventFilter(this);
  pane_->installEventFilter(this);
  window_.SrcEditor1->installEventFilter(this);
  editor_viewport_->installEventFilter(this);
  SetShown(ReadViewSwitch(SettingsDirectory, kListingPaneKey));
}

TListingPane::~TListingPane() {
  // Not watched while it goes: its events would reach a half-destroyed pane.
  pane_->removeEventFilter(this);
  pane_->viewport()->removeEventFilter(this);
  if (pane_->parent() == nullptr) {
    delete pane_;
  }
}

void TListingPane::SetShown(bool on) {
  shown_ = on;
  action_->setChecked(on);
  QSplitter& splitter = *window_.Splitter1;
  if (on) {
    if (splitter.indexOf(pane_) < 0) {
      splitter.insertWidget(splitter.indexOf(window_.Memo1) + 1, pane_);
    }
    ListingChanged();
    pane_->show();
  } else if (splitter.indexOf(pane_) >= 0) {
    pane_->hide();
    pane_->setParent(nullptr);
  }
}

void TListingPane::ListingChanged() {
  if (!shown_) {
    return;
  }
  pane_->setPlainText(DecodeText(code_.ListingBytes()));
  FollowCaret();
}

void TListingPane::FollowCaret() {
  if (!shown_ || pane_->document()->isEmpty()) {
    return;
  }
  const TSrcEditModel& model = window_.SrcEditor1->Model();
  const int line = model.ToExpandedPos(model.CaretPos()).Line;
  const TLineCode* code = code_.CodeOfLine(line).Code;
  if (code == nullptr || code->ListingLines.empty()) {
    return;
  }
  const QTextBlock block = pane_->document()->findBlockByNumber(code->ListingLines.front() - 1);
  if (!block.isValid()) {
    return;
  }
  following_ = true;
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  pane_->setTextCursor(cursor);
  pane_->centerCursor();
  following_ = false;
}

bool TListingPane::JumpToListingLine(int block) {
  const TListingMap* map = code_.Track().Map();
  const std::shared_ptr<const TListingMap>& shared = code_.Map();
  if (shared != nullptr) {
    map = shared.get();
  }
  if (map == nullptr) {
    return false;
  }
  const std::optional<TSourcePlace> place = map->PlaceOfListingLine(block + 1);
  if (!place) {
    return false;
  }
  TSrcEditor& editor = *window_.SrcEditor1;
  int line = place->Line;
  if (code_.Track().Attached() && code_.Track().File() == place->File) {
    line = code_.CurrentLineOf(place->Line);
    if (line == 0) {
      return true;  // deleted since the assembly
    }
  } else {
    // Another file of the assembly: opened as a message about it would be.
    const std::string& path = map->Files()[static_cast<std::size_t>(place->File)];
    if (!window_.MayDiscardText() || !window_.OpenNamedFile(path)) {
      return true;
    }
    editor.SetModified(false);
  }
  TSrcEditModel& model = editor.Model();
  line = std::clamp(line, 1, std::max(editor.LastShownLineNumber(), 1));
  const TBufferPos pos = model.RevealExpandedLine(line);
  model.PlaceCaretAndSelection(pos, pos, pos);
  editor.ScrollCaretIntoView(true);
  return true;
}

bool TListingPane::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == pane_viewport_ && type == QEvent::MouseButtonRelease && !window_.Assembling()) {
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    const int block = pane_->cursorForPosition(at).blockNumber();
    RunGuarded(&window_, [&] { JumpToListingLine(block); });
  } else if ((watched == window_.SrcEditor1 || watched == editor_viewport_) &&
             (type == QEvent::KeyRelease || type == QEvent::MouseButtonRelease) && shown_) {
    // After the editor has handled the key or click.
    QTimer::singleShot(0, this, [this] { FollowCaret(); });
  }
  return false;
}

}  // namespace torvane
