// Cost of turning one key press into a command against the default table,
// for a bound key, an unbound key and the second key of a chord.
#include <benchmark/benchmark.h>

#include "editor/key_strokes.h"

namespace torvane {
namespace {

void BM_TranslateBoundKey(benchmark::State& state) {
  TSrcEditKeyStrokes keys;
  keys.ResetDefaults();
  TSrcEditKeyTranslator translator;
  for (auto _ : state) {
    // Ctrl+Shift+B is the last default entry: the longest single-key scan.
    benchmark::DoNotOptimize(translator.TranslateKey(keys, 'B', ssCtrl | ssShift));
  }
}
BENCHMARK(BM_TranslateBoundKey);

void BM_TranslateUnboundThenChord(benchmark::State& state) {
  TSrcEditKeyStrokes keys;
  keys.ResetDefaults();
  keys.AddBinding(ecCommentBlock, 'Q', ssCtrl, 'K', ssCtrl);
  TSrcEditKeyTranslator translator;
  for (auto _ : state) {
    benchmark::DoNotOptimize(translator.TranslateKey(keys, 'Q', ssCtrl));
    benchmark::DoNotOptimize(translator.TranslateKey(keys, 'K', ssCtrl));
  }
}
BENCHMARK(BM_TranslateUnboundThenChord);

}  // namespace
}  // namespace torvane

BENCHMARK_MAIN();
