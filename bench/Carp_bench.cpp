// Loading and writing a performance file of realistic size (about 4 KB, 81 entries).

#include <benchmark/benchmark.h>

#include <array>
#include <string>

#include "bench/BenchFolder.h"
#include "carp/Carp3File.h"
#include "carp/Carp4File.h"
#include "carp/PerformanceText.h"

namespace velkor {
namespace {

// A folder of its own for one benchmark, removed afterwards.
// Values shaped like a real car's: lists of eight gear figures, a 21-point torque curve.
template <typename T>
void FillLikeACar(T& file) {
  for (std::size_t n = 0; n < file.values.size(); ++n) file.values[n] = std::to_string(n * 37 % 1000) + ".000000";
  for (const std::size_t n : {5u, 6u, 7u, 8u, 9u, 76u, 77u, 78u})
    file.values[n] = "0.000000,0.000000,3.250000,2.100000,1.450000,1.100000,0.870000,0.000000";
  std::string torque;
  for (int i = 0; i < 21; ++i) torque += std::to_string(200 + 7 * i) + ".000000,";
  file.values[10] = torque;
}

void BM_Carp4Load(benchmark::State& state) {
  bench::BenchFolder folder("carp-bench");
  Carp4File source(folder / "carp.txt");
  FillLikeACar(source);
  source.Save();
  for (auto _ : state) {
    Carp4File file(folder / "carp.txt");
    file.Load();
    benchmark::DoNotOptimize(file.values);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * source.size);
}
BENCHMARK(BM_Carp4Load)->Unit(benchmark::kMicrosecond);

void BM_Carp4Write(benchmark::State& state) {
  bench::BenchFolder folder("carp-bench");
  Carp4File file(folder / "carp.txt");
  FillLikeACar(file);
  for (auto _ : state) file.Save();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * file.size);
}
BENCHMARK(BM_Carp4Write)->Unit(benchmark::kMicrosecond);

void BM_Carp3ConvertTo4(benchmark::State& state) {
  bench::BenchFolder folder("carp-bench");
  Carp3File source(folder / "carp3.txt");
  FillLikeACar(source);
  for (auto _ : state) source.ConvertTo4(folder / "carp4.txt");
}
BENCHMARK(BM_Carp3ConvertTo4)->Unit(benchmark::kMicrosecond);

// The in-memory halves alone, without the file system.
void BM_CarpExtractValuesInMemory(benchmark::State& state) {
  Carp4File source("unused");
  FillLikeACar(source);
  std::array<int, kNfs4ParameterCount> order{};
  for (std::size_t n = 0; n < order.size(); ++n) order[n] = static_cast<int>(n);
  const std::string text = BuildPerformanceText(order, source.values);
  std::array<std::string, kNfs4ParameterCount> values;
  for (auto _ : state) {
    ExtractPerformanceValues(text, values);
    benchmark::DoNotOptimize(values);
  }
}
BENCHMARK(BM_CarpExtractValuesInMemory)->Unit(benchmark::kMicrosecond);

void BM_CarpBuildTextInMemory(benchmark::State& state) {
  Carp4File source("unused");
  FillLikeACar(source);
  std::array<int, kNfs4ParameterCount> order{};
  for (std::size_t n = 0; n < order.size(); ++n) order[n] = static_cast<int>(n);
  for (auto _ : state) benchmark::DoNotOptimize(BuildPerformanceText(order, source.values));
}
BENCHMARK(BM_CarpBuildTextInMemory)->Unit(benchmark::kMicrosecond);

// A large file with no labels at all: the loader's cost must grow with the file, not with
// file size times label count.
void BM_CarpExtractValuesFromLabelFreeMegabyte(benchmark::State& state) {
  std::string text;
  while (text.size() < (1u << 20)) text += "(x) 1,2,3 (y)\r\n";
  std::array<std::string, kNfs4ParameterCount> values;
  for (auto _ : state) {
    ExtractPerformanceValues(text, values);
    benchmark::DoNotOptimize(values);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_CarpExtractValuesFromLabelFreeMegabyte)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velkor
