// The find bar's layout and commands over the editor's model.
#include "app/find_bar.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <limits>
#include <optional>
#include <tuple>

#include "editor/text_replace.h"
#include "platform/codepage.h"
#include "view/src_edit.h"

namespace torvane {

TFindBar::TFindBar(TCustomSrcEdit& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
  setObjectName(QStringLiteral("FindBar"));
  setAccessibleName(QStringLiteral("查找栏"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(4, 2, 4, 2);
  grid->setVerticalSpacing(2);
  auto button = [this](const QString& caption, const char* name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  FindEdit = new QLineEdit(this);
  FindEdit->setObjectName(QStringLiteral("FindEdit"));
  FindEdit->setAccessibleName(QStringLiteral("查找"));
  NextButton = button(QStringLiteral("下一个"), "NextButton");
  PreviousButton = button(QStringLiteral("上一个"), "PreviousButton");
  CloseButton = button(QStringLiteral("关闭"), "CloseButton");
  grid->addWidget(new QLabel(QStringLiteral("查找："), this), 0, 0);
  grid->addWidget(FindEdit, 0, 1);
  grid->addWidget(NextButton, 0, 2);
  grid->addWidget(PreviousButton, 0, 3);
  grid->addWidget(CloseButton, 0, 4);

  auto* replace_label = new QLabel(QStringLiteral("替换为："), this);
  ReplaceEdit = new QLineEdit(this);
  ReplaceEdit->setObjectName(QStringLiteral("ReplaceEdit"));
  ReplaceEdit->setAccessibleName(QStringLiteral("替换为"));
  ReplaceButton = button(QStringLiteral("替换"), "ReplaceButton");
  ReplaceAllButton = button(QStringLiteral("全部替换"), "ReplaceAllButton");
  grid->addWidget(replace_label, 1, 0);
  grid->addWidget(ReplaceEdit, 1, 1);
  grid->addWidget(ReplaceButton, 1, 2);
  grid->addWidget(ReplaceAllButton, 1, 3);
  replace_row_ = {replace_label, ReplaceEdit, ReplaceButton, ReplaceAllButton};

  auto* options = new QHBoxLayout;
  MatchCase = new QCheckBox(QStringLiteral("区分大小写"), this);
  WholeWord = new QCheckBox(QStringLiteral("全字匹配"), this);
  RegularExpression = new QCheckBox(QStringLiteral("正则表达式"), this);
  InSelection = new QCheckBox(QStringLiteral("仅在选定内容中"), this);
  Status = new QLabel(this);
  Status->setObjectName(QStringLiteral("Status"));
  Status->setAccessibleName(QStringLiteral("查找结果"));
  for (QWidget* w :
       {static_cast<QWidget*>(MatchCase), static_cast<QWidget*>(WholeWord),
        static_cast<QWidget*>(RegularExpression), static_cast<QWidget*>(InSelection)}) {
    options->addWidget(w);
  }
  options->addWidget(Status, 1);
  grid->addLayout(options, 2, 0, 1, 5);

  for (QLineEdit* edit : {FindEdit, ReplaceEdit}) {
    edit->installEventFilter(this);
  }
  connect(NextButton, &QPushButton::clicked, this, [this] { FindNext(false); });
  connect(PreviousButton, &QPushButton::clicked, this, [this] { FindNext(true); });
  connect(ReplaceButton, &QPushButton::clicked, this, [this] { ReplaceOne(); });
  connect(ReplaceAllButton, &QPushButton::clicked, this, [this] { ReplaceAll(); });
  connect(CloseButton, &QPushButton::clicked, this, &TFindBar::Close);
  connect(InSelection, &QCheckBox::toggled, this, [this](bool on) {
    if (on) {
      CaptureSelection();
    }
  });
  // Tab goes from the search to the replacement, then to the buttons and
  // the options; hidden widgets are passed over.
  QWidget* order[] = {FindEdit,      ReplaceEdit,       NextButton,  PreviousButton,
                      ReplaceButton, ReplaceAllButton,  CloseButton, MatchCase,
                      WholeWord,     RegularExpression, InSelection};
  for (std::size_t i = 1; i < std::size(order); ++i) {
    setTabOrder(order[i - 1], order[i]);
  }
  hide();
}

bool TFindBar::ReplaceShown() const {
  return ReplaceEdit->isVisibleTo(this);
}

void TFindBar::DocumentReplaced() {
  InSelection->setChecked(false);
  Say(QString());
}

void TFindBar::Open(bool replace) {
  const TSrcEditModel& model = editor_.Model();
  // A selection of several lines is what to search in; one of a single line
  // (a match found before, say) is what to search for. The scope taken
  // before stays while the caret is inside it; once the caret has left it,
  // the whole text is searched again.
  const bool several_lines = model.IsMultiLineSelection();
  if (InSelection->isChecked()) {
    if (several_lines) {
      CaptureSelection();
    } else if (!CaretInScope()) {
      InSelection->setChecked(false);
    }
  }
  if (!model.HasSelection()) {
    const TBufferPos start = model.WordStartAt(model.CaretPos());
    const TBufferPos end = model.WordEndAt(model.CaretPos());
    if (start < end) {
      const std::string_view line = model.LineText(start.Line);
      FindEdit->setText(DecodeText(line.substr(static_cast<std::size_t>(start.Char - 1),
                                               static_cast<std::size_t>(end.Char - start.Char))));
    }
  } else if (!several_lines) {
    FindEdit->setText(DecodeText(model.SelectedText()));
  }
  for (QWidget* w : replace_row_) {
    w->setVisible(replace);
  }
  Say(QString());
  if (OnShowChange) {
    OnShowChange(true);
  }
  show();
  FindEdit->selectAll();
  FindEdit->setFocus();
}

void TFindBar::Close() {
  if (isHidden()) {
    return;
  }
  if (OnShowChange) {
    OnShowChange(false);
  }
  hide();
  editor_.setFocus();
}

bool TFindBar::EditorUsable() const {
  return editor_.isEnabled();
}

std::vector<TSrcEditFoldRange*> TFindBar::ShowHiddenText() {
  TSrcEditModel& model = editor_.Model();
  std::vector<TSrcEditFoldRange*> blocks;
  if (!model.FoldingEnabled() || model.Folds().CollapsedCount() == 0) {
    return blocks;
  }
  const TSrcEditAllFoldRanges& ranges = model.Folds().Ranges();
  for (int i = 0; i < ranges.AllCount(); ++i) {
    if (ranges.AllRange(i)->IsCollapsed) {
      blocks.push_back(ranges.AllRange(i));
    }
  }
  // Inner blocks are collapsed again before the blocks holding them.
  std::stable_sort(blocks.begin(), blocks.end(),
                   [](const auto* a, const auto* b) { return a->NestLevel > b->NestLevel; });
  model.ExpandAllFolds();
  return blocks;
}

void TFindBar::HideTextAgain(const std::vector<TSrcEditFoldRange*>& blocks, int first, int last) {
  // Chosen before any collapse: each collapse moves the lines after it.
  std::vector<TSrcEditFoldRange*> closing;
  for (TSrcEditFoldRange* block : blocks) {
    if (last <= block->FirstLine || first > block->LastLine) {
      closing.push_back(block);
    }
  }
  TSrcEditModel& model = editor_.Model();
  for (TSrcEditFoldRange* block : closing) {
    model.CollapseFold(*block);
  }
}

bool TFindBar::PassedHiddenText(TBufferPos from, const TSearchMatch& match, bool backward) const {
  const TSrcEditModel& model = editor_.Model();
  const TSrcEditFolds& folds = model.Folds();
  const int count = model.LineCount();
  if (!backward) {
    return match.Wrapped ? folds.HasCollapsedHeaderIn(from.Line, count) ||
                               folds.HasCollapsedHeaderIn(1, match.End.Line)
                         : folds.HasCollapsedHeaderIn(from.Line, match.End.Line);
  }
  return match.Wrapped ? folds.HasCollapsedHeaderIn(1, from.Line) ||
                             folds.HasCollapsedHeaderIn(match.Start.Line, count)
                       : folds.HasCollapsedHeaderIn(match.Start.Line, from.Line);
}

std::optional<TSearchMatch> TFindBar::FindAroundFolds(bool backward) {
  TSrcEditModel& model = editor_.Model();
  // From the caret; backward from the selection's start, so the match just
  // found is not found again.
  const auto from = [&model, backward] {
    if (!model.HasSelection()) {
      return model.CaretPos();
    }
    return backward ? model.SelStart() : model.SelEnd();
  };
  const bool folded = model.FoldingEnabled() && model.Folds().CollapsedCount() > 0;
  // Most searches meet no collapsed block between the caret and the match:
  // the visible text gives the same match, and nothing is expanded. The
  // selection scope is kept in lines of the expanded text.
  if (!folded || !InSelection->isChecked()) {
    auto match = search_.Find(model.Lines(), from(), backward, Scope());
    if (!folded || (match && !PassedHiddenText(from(), *match, backward))) {
      return match;
    }
  }
  const std::vector<TSrcEditFoldRange*> opened = ShowHiddenText();
  auto match = search_.Find(model.Lines(), from(), backward, Scope());
  if (!match) {
    HideTextAgain(opened, 0, -1);
    return match;
  }
  // With every block expanded, the store's lines are those of the expanded
  // text.
  HideTextAgain(opened, match->Start.Line, match->End.Line);
  match->Start = model.FromExpandedPos(match->Start);
  match->End = model.FromExpandedPos(match->End);
  return match;
}

bool TFindBar::PreparePattern() {
  TSearchOptions options;
  options.match_case = MatchCase->isChecked();
  options.whole_word = WholeWord->isChecked();
  options.regex = RegularExpression->isChecked();
  if (search_.SetPattern(FindEdit->text(), options, editor_.Model().WordChars())) {
    return true;
  }
  Say(search_.Error().isEmpty() ? QString()
                                : QStringLiteral("正则表达式有误：%1").arg(search_.Error()));
  return false;
}

void TFindBar::CaptureSelection() {
  const TSrcEditModel& model = editor_.Model();
  selection_ = TSearchScope{};
  selection_.Whole = false;
  if (!model.HasSelection()) {
    selection_.Begin = selection_.End = model.ToExpandedPos(model.CaretPos());
    return;
  }
  selection_.Begin = model.SelStart();
  selection_.End = model.SelEnd();
  if (model.SelectionMode() == smLine) {
    selection_.Begin.Char = 1;
    selection_.End.Char = static_cast<int>(model.LineText(selection_.End.Line).size()) + 1;
  }
  // Kept in lines of the expanded text: searching expands collapsed blocks.
  selection_.Begin = model.ToExpandedPos(selection_.Begin);
  selection_.End = model.ToExpandedPos(selection_.End);
  // A column block is searched inside its rectangle, on its lines whole.
  selection_.Columns = model.SelectionMode() == smColumn;
  if (selection_.Columns) {
    std::tie(selection_.FirstColumn, selection_.LastColumn) = model.ColumnBlockColumns();
    selection_.TabWidth = model.TabWidth();
    selection_.Begin.Char = 1;
    selection_.End.Char = std::numeric_limits<int>::max() / 2;
  }
}

bool TFindBar::CaretInScope() const {
  const TSrcEditModel& model = editor_.Model();
  const TBufferPos start =
      model.ToExpandedPos(model.HasSelection() ? model.SelStart() : model.CaretPos());
  const TBufferPos end =
      model.ToExpandedPos(model.HasSelection() ? model.SelEnd() : model.CaretPos());
  return !(start < selection_.Begin) && !(selection_.End < end);
}

TSearchScope TFindBar::Scope() const {
  return InSelection->isChecked() ? selection_ : TSearchScope{};
}

void TFindBar::SelectMatch(const TSearchMatch& match) {
  TSrcEditModel& model = editor_.Model();
  if (model.SelectionMode() != smNormal) {
    model.SetSelectionMode(smNormal);
  }
  model.PlaceCaretAndSelection(match.End, match.Start, match.End);
}

void TFindBar::Say(const QString& text) {
  Status->setText(text);
}

void TFindBar::SayNotFound() {
  // A search kept to an old selection would otherwise fail for no reason
  // the user can see.
  Say(InSelection->isChecked() ? QStringLiteral("在选定内容中找不到“%1”。").arg(FindEdit->text())
                               : QStringLiteral("找不到“%1”。").arg(FindEdit->text()));
}

bool TFindBar::FindNext(bool backward) {
  if (!EditorUsable() || !PreparePattern()) {
    return false;
  }
  const std::optional<TSearchMatch> match = FindAroundFolds(backward);
  if (!match) {
    SayNotFound();
    return false;
  }
  SelectMatch(*match);
  if (!match->Wrapped) {
    Say(QString());
  } else {
    Say(backward ? QStringLiteral("已从文档末尾继续查找。")
                 : QStringLiteral("已从文档开头继续查找。"));
  }
  return true;
}

bool TFindBar::ReplaceOne() {
  if (!EditorUsable() || !PreparePattern() || editor_.ReadOnly()) {
    return false;
  }
  const TSrcEditModel& model = editor_.Model();
  // The match found last is in view, and replacing it needs no block
  // expanded; but the selection scope is kept in lines of the expanded text,
  // and a collapsed header's line also holds the collapse mark.
  if (InSelection->isChecked() || model.Folds().CollapsedHeaderAt(model.SelStart().Line)) {
    ShowHiddenText();
  }
  const TSearchScope scope = Scope();
  const TSearchMatch current{model.SelStart(), model.SelEnd()};
  const bool in_scope = ScopeHolds(scope, model.Lines(), current.Start, current.End);
  if (model.HasSelection() && in_scope &&
      search_.IsMatch(model.Lines(), current.Start, current.End)) {
    const std::string bytes = search_.ReplacementFor(model.Lines(), current, ReplaceEdit->text());
    if (!scope.Whole && !scope.Columns && selection_.End.Line == current.End.Line) {
      selection_.End.Char +=
          static_cast<int>(bytes.size()) - (current.End.Char - current.Start.Char);
    }
    ReplaceMatch(editor_.Controller(), current, bytes);
  }
  return FindNext(false);
}

int TFindBar::ReplaceAll() {
  if (!EditorUsable() || !PreparePattern() || editor_.ReadOnly()) {
    return 0;
  }
  ShowHiddenText();
  TSearchScope scope = Scope();
  const int count = ReplaceAllMatches(editor_.Controller(), search_, scope, ReplaceEdit->text());
  if (!scope.Whole) {
    selection_ = scope;
  }
  if (count == 0) {
    SayNotFound();
  } else {
    Say(QStringLiteral("已替换 %1 处。").arg(count));
  }
  return count;
}

bool TFindBar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    // Returning true without accepting lets the window's shortcut run.
    const auto* key = static_cast<QKeyEvent*>(event);
    return window_keys_.contains(QKeySequence(key->keyCombination()));
  }
  if (event->type() != QEvent::KeyPress) {
    return false;
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (watched == ReplaceEdit) {
        ReplaceOne();
      } else {
        FindNext((key->modifiers() & Qt::ShiftModifier) != 0);
      }
      return true;
    case Qt::Key_Escape:
      Close();
      return true;
    default:
      return false;
  }
}

void TFindBar::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    Close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace torvane
