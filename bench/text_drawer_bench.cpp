// Cost of drawing a window of highlighted NASM text through the text drawer:
// 60 rows of 200 cells, split into token runs the way the painter hands them
// over (one CellTextOut per run of like tokens, one fill to the row end).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench/support/bench_data.h"
#include "bench/support/widget_main.h"
#include "platform/codepage.h"
#include "view/text_drawer.h"

namespace torvane {
namespace {

constexpr int kRows = 60;
constexpr int kColumns = 200;

struct Run {
  int column;
  std::string text;
  TFontStyles style;
  TColor color;
};

// A rough highlighter: mnemonic bold, other words maroon, numbers red,
// comments gray, punctuation plain; blanks join the run before them.
std::vector<std::vector<Run>> TokenRows() {
  std::vector<std::vector<Run>> rows;
  std::istringstream in(bench::AsmBytes(kRows));
  std::string line;
  while (std::getline(in, line) && static_cast<int>(rows.size()) < kRows) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
    std::vector<Run> runs;
    std::size_t i = 0;
    bool first_word = true;
    while (i < line.size() && static_cast<int>(i) < kColumns) {
      std::size_t j = i;
      TFontStyles style;
      TColor color = clBlack;
      if (line[i] == ';') {
        j = line.size();
        color = clGray;
      } else if (std::isdigit(static_cast<unsigned char>(line[i]))) {
        while (j < line.size() && std::isalnum(static_cast<unsigned char>(line[j]))) {
          ++j;
        }
        color = clRed;
      } else if (std::isalpha(static_cast<unsigned char>(line[i])) || line[i] == '_') {
        while (j < line.size() &&
               (std::isalnum(static_cast<unsigned char>(line[j])) || line[j] == '_')) {
          ++j;
        }
        if (first_word) {
          style = {fsBold};
          color = clNavy;
        } else {
          color = clMaroon;  // registers and symbols
        }
        first_word = false;
      } else {
        ++j;
      }
      while (j < line.size() && line[j] == ' ') {
        ++j;
      }
      std::string text = line.substr(i, j - i);
      if (!runs.empty() && runs.back().style == style && runs.back().color == color) {
        runs.back().text += text;
      } else {
        runs.push_back({static_cast<int>(i), std::move(text), style, color});
      }
      i = j;
    }
    rows.push_back(std::move(runs));
  }
  return rows;
}

void PaintWindow(TheTextDrawer& drawer, QPainter& painter, const QImage& image,
                 const std::vector<std::vector<Run>>& rows, int first_row, int last_row) {
  const int w = drawer.GridWidth();
  const int h = drawer.GridHeight() + 2;
  drawer.AttachDC(&painter);
  for (int r = first_row; r < last_row; ++r) {
    const int top = r * h;
    int end_x = 0;
    for (const Run& run : rows[static_cast<std::size_t>(r)]) {
      drawer.SelectStyle(run.style);
      drawer.SetForeground(run.color);
      const int x = run.column * w;
      end_x = x + static_cast<int>(run.text.size()) * w;
      drawer.CellTextOut(x, top + 1, kEtoOpaque | kEtoClipped, QRect(x, top, end_x - x, h),
                         run.text);
    }
    drawer.CellTextOut(end_x, top + 1, kEtoOpaque | kEtoClipped,
                       QRect(end_x, top, image.width() - end_x, h), {});
  }
  drawer.DetachDC();
}

void BM_FullRepaint(benchmark::State& state) {
  QFont font(QStringLiteral("Courier New"));
  font.setPixelSize(18);
  TheTextDrawer drawer({fsBold}, &font);
  drawer.SetBackground(clWhite);
  const auto rows = TokenRows();
  QImage image(kColumns * drawer.GridWidth(), kRows * (drawer.GridHeight() + 2),
               QImage::Format_ARGB32_Premultiplied);
  std::size_t runs = 0;
  for (const auto& row : rows) {
    runs += row.size();
  }
  for (auto _ : state) {
    QPainter painter(&image);
    PaintWindow(drawer, painter, image, rows, 0, static_cast<int>(rows.size()));
  }
  state.counters["runs"] = static_cast<double>(runs);
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_OneRow(benchmark::State& state) {
  QFont font(QStringLiteral("Courier New"));
  font.setPixelSize(18);
  TheTextDrawer drawer({fsBold}, &font);
  const auto rows = TokenRows();
  QImage image(kColumns * drawer.GridWidth(), kRows * (drawer.GridHeight() + 2),
               QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter painter(&image);
    PaintWindow(drawer, painter, image, rows, 10, 12);
  }
}
BENCHMARK(BM_OneRow)->Unit(benchmark::kMicrosecond);

// The gutter gives the drawer its own font and then the editor's back, on
// every paint of the gutter.
void BM_SwitchBaseFont(benchmark::State& state) {
  QFont font(QStringLiteral("Courier New"));
  font.setPixelSize(18);
  QFont gutter_font(QStringLiteral("Courier New"));
  gutter_font.setPointSize(8);
  TheTextDrawer drawer({fsBold}, &font);
  if (state.range(0) != 0) {
    drawer.SetUnicodeFontName(QStringLiteral("WenQuanYi Micro Hei"));
  }
  for (auto _ : state) {
    drawer.SetBaseFont(&gutter_font);
    drawer.SetBaseFont(&font);
  }
}
BENCHMARK(BM_SwitchBaseFont)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Wide characters from a fallback font in every run.
void BM_CjkRepaint(benchmark::State& state) {
  QFont font(QStringLiteral("Courier New"));
  font.setPixelSize(18);
  TheTextDrawer drawer({fsBold}, &font);
  if (state.range(0) != 0) {
    drawer.SetUnicodeFontName(QStringLiteral("WenQuanYi Micro Hei"));
  }
  std::string text;
  while (text.size() < 200) {
    text += "mov eax, 1 ; \xE4\xB8\xAD\xE6\x96\x87 ";
  }
  QImage image(kColumns * drawer.GridWidth(), kRows * (drawer.GridHeight() + 2),
               QImage::Format_ARGB32_Premultiplied);
  const int w = drawer.GridWidth();
  const int h = drawer.GridHeight() + 2;
  for (auto _ : state) {
    QPainter painter(&image);
    drawer.AttachDC(&painter);
    for (int r = 0; r < kRows; ++r) {
      drawer.CellTextOut(0, r * h + 1, kEtoOpaque | kEtoClipped, QRect(0, r * h, kColumns * w, h),
                         text);
    }
    drawer.DetachDC();
  }
}
BENCHMARK(BM_CjkRepaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace torvane

int main(int argc, char** argv) {
  return torvane::bench::RunWidgetBenchmarks(argc, argv);
}
