// The window's size, place, maximised state and output pane height, kept in
// torvane.ini [Window] and given back at the next start.
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <algorithm>

#include "app/main_window.h"
#include "app/settings.h"
#include "document/control/src_editor.h"
#include "platform/ini_file.h"

namespace torvane {
namespace {

constexpr char kWindowSection[] = "Window";
constexpr char kLeftKey[] = "Left";
constexpr char kTopKey[] = "Top";
constexpr char kWidthKey[] = "Width";
constexpr char kHeightKey[] = "Height";
constexpr char kMaximizedKey[] = "Maximized";
constexpr char kPaneHeightKey[] = "PaneHeight";
// Sizes outside these bounds are not a window someone left behind.
constexpr int kSmallestSide = 200;
constexpr int kLargestSide = 16384;
// Of a window placed back, this much must lie on a screen to be reached.
constexpr int kReachable = 64;

bool OnSomeScreen(const QRect& frame) {
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect visible = screen->availableGeometry().intersected(frame);
    if (visible.width() >= kReachable && visible.height() >= kReachable) {
      return true;
    }
  }
  return false;
}

void WriteIfChanged(TIniFile& ini, const char* key, int value) {
  if (ini.ReadString(kWindowSection, key, "") != std::to_string(value)) {
    ini.WriteInteger(kWindowSection, key, value);
  }
}

}  // namespace

void TFAsmEd::RestoreWindowState() {
  const TIniFile ini(SettingsFilePath(SettingsDirectory));
  if (!ini.SectionExists(kWindowSection)) {
    return;  // the first run's size and the platform's place
  }
  auto side = [&](const char* key, int current) {
    const int value = ini.ReadInteger(kWindowSection, key, current);
    return value >= kSmallestSide && value <= kLargestSide ? value : current;
  };
  resize(side(kWidthKey, width()), side(kHeightKey, height()));
  if (ini.ValueExists(kWindowSection, kLeftKey) && ini.ValueExists(kWindowSection, kTopKey)) {
    const QPoint place(ini.ReadInteger(kWindowSection, kLeftKey, 0),
                       ini.ReadInteger(kWindowSection, kTopKey, 0));
    // A place on a screen no longer there: the platform's place instead.
    if (OnSomeScreen(QRect(place, size()))) {
      move(place);
    }
  }
  const int pane = ini.ReadInteger(kWindowSection, kPaneHeightKey, 0);
  if (pane > 0) {
    const int total = height();
    const int kept = std::clamp(pane, 20, std::max(20, total - 60));
    QList<int> sizes = Splitter1->sizes();
    const int editor = static_cast<int>(Splitter1->indexOf(SrcEditor1));
    const int memo = static_cast<int>(Splitter1->indexOf(Memo1));
    sizes[editor] = std::max(total - kept, 1);
    sizes[memo] = kept;
    Splitter1->setSizes(sizes);
  }
  if (ini.ReadInteger(kWindowSection, kMaximizedKey, 0) == 1) {
    setWindowState(windowState() | Qt::WindowMaximized);
  }
}

void TFAsmEd::SaveWindowState() {
  if (!isVisible()) {
    return;
  }
  TIniFile ini(SettingsFilePath(SettingsDirectory));
  const bool maximized = isMaximized();
  const int pane = Memo1->height();
  // A window left as the first run showed it writes nothing.
  if (!ini.SectionExists(kWindowSection) && !maximized && size() == kFirstRunSize &&
      pane == kFirstRunPaneHeight) {
    return;
  }
  try {
    WriteIfChanged(ini, kMaximizedKey, maximized ? 1 : 0);
    // A maximised window keeps the size and place it comes back to.
    if (!maximized) {
      WriteIfChanged(ini, kLeftKey, pos().x());
      WriteIfChanged(ini, kTopKey, pos().y());
      WriteIfChanged(ini, kWidthKey, width());
      WriteIfChanged(ini, kHeightKey, height());
    }
    WriteIfChanged(ini, kPaneHeightKey, pane);
  } catch (const EIniFileError&) {
    // A settings folder that cannot be written costs the memory, not the close.
  }
}

}  // namespace torvane
