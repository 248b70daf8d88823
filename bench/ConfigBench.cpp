// The configuration work that runs on every frame: caption lookup and colour parsing.
#include <benchmark/benchmark.h>

#include <string>

#include "Brivora/Meta.h"
#include "Brivora/SrgbHexColor.h"

namespace {

using brivora::Meta;
using brivora::MetaPattern;

Meta metaWithPatterns(int count) {
  Meta meta;
  meta.defaultPlayer = {"Default", "Subtitle", "Fact"};
  for (int i = 0; i < count; ++i) {
    meta.patterns.push_back(MetaPattern{"player-" + std::to_string(i), {{"name", "Name"}}});
  }
  return meta;
}

void resolveCaption(benchmark::State& state) {
  const Meta meta = metaWithPatterns(static_cast<int>(state.range(0)));
  const std::string ascii = "player-7-keeper.jpg";
  for (auto _ : state) benchmark::DoNotOptimize(meta.resolve(ascii));
}
BENCHMARK(resolveCaption)->Arg(10)->Arg(1000);

void resolveCaptionAccentedName(benchmark::State& state) {
  const Meta meta = metaWithPatterns(static_cast<int>(state.range(0)));
  const std::string accented = "joueur-\xC3\xA9quipe-7.jpg";
  for (auto _ : state) benchmark::DoNotOptimize(meta.resolve(accented));
}
BENCHMARK(resolveCaptionAccentedName)->Arg(10)->Arg(1000);

void colorFromHex(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(brivora::colorFromSrgbHex("  #E5B80B\n"));
}
BENCHMARK(colorFromHex);

}  // namespace
