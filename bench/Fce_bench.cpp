// Model conversion throughput against a plain copy of the same file. Bytes processed are
// the input model's bytes in every case, so the MB/s figures compare directly.
//
// Arguments: elementCount, recordCount. 4000/6000 is a detailed car (about 0.7 MB as
// NFS3); 200000/300000 is far beyond any real car (about 33 MB).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/BenchFolder.h"
#include "model/Fce3File.h"
#include "model/Fce4File.h"
#include "platform/FileSystem.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;

// Writes a model of the version with the given counts and non-zero block content.
template <typename Model>
std::int32_t WriteModel(const std::string& path, std::int32_t n, std::int32_t m) {
  Model model(path);
  model.Reset();
  model.model.header.setElementCount(n);
  model.model.header.setRecordCount(m);
  model.model.header.setPartCount(12);
  for (std::size_t b = 1; b <= model.model.header.layout().blockCount; ++b) {
    auto& block = model.model.block(b);
    block.resize(static_cast<std::size_t>(model.model.header.blockLength(b)));
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 31 + b);
  }
  model.Save();
  return model.size;
}

// Each benchmark removes its output before every run, so that conversion and copy both
// create a new file; the "Replacing" forms write over the previous run's output instead
// (on ext4 replacing a file starts writing its data back at once, for both).

void ConvertTo4(benchmark::State& state, bool replacing) {
  bench::BenchFolder folder("fce-bench");
  const auto size = WriteModel<Fce3File>(folder / "car.fce", static_cast<std::int32_t>(state.range(0)),
                                         static_cast<std::int32_t>(state.range(1)));
  for (auto _ : state) {
    std::error_code ec;
    if (!replacing) fs::remove(folder / "car.fc4", ec);
    Fce3File model(folder / "car.fce");
    model.Load();
    model.ConvertTo4(folder / "car.fc4");
  }
  state.SetBytesProcessed(state.iterations() * size);
}

void ConvertTo3(benchmark::State& state, bool replacing) {
  bench::BenchFolder folder("fce-bench");
  const auto size = WriteModel<Fce4File>(folder / "car.fce", static_cast<std::int32_t>(state.range(0)),
                                         static_cast<std::int32_t>(state.range(1)));
  for (auto _ : state) {
    std::error_code ec;
    if (!replacing) fs::remove(folder / "car.fc3", ec);
    Fce4File model(folder / "car.fce");
    model.Load();
    model.ConvertTo3(folder / "car.fc3", 0);
  }
  state.SetBytesProcessed(state.iterations() * size);
}

// The baseline: the NFS3 input copied byte for byte to another file.
void PlainCopy(benchmark::State& state, bool replacing) {
  bench::BenchFolder folder("fce-bench");
  const auto size = WriteModel<Fce3File>(folder / "car.fce", static_cast<std::int32_t>(state.range(0)),
                                         static_cast<std::int32_t>(state.range(1)));
  for (auto _ : state) {
    std::error_code ec;
    if (!replacing) fs::remove(folder / "copy.fce", ec);
    platform::CopyFileReplacing(folder / "car.fce", folder / "copy.fce");
  }
  state.SetBytesProcessed(state.iterations() * size);
}

void BM_Fce3LoadConvertTo4(benchmark::State& state) { ConvertTo4(state, false); }
void BM_Fce4LoadConvertTo3(benchmark::State& state) { ConvertTo3(state, false); }
void BM_PlainCopyOfNfs3Model(benchmark::State& state) { PlainCopy(state, false); }
void BM_Fce3LoadConvertTo4Replacing(benchmark::State& state) { ConvertTo4(state, true); }
void BM_PlainCopyOfNfs3ModelReplacing(benchmark::State& state) { PlainCopy(state, true); }

#define VELKOR_MODEL_SIZES(name) \
  BENCHMARK(name)->Args({4000, 6000})->Args({200000, 300000})->Unit(benchmark::kMillisecond)->UseRealTime()
VELKOR_MODEL_SIZES(BM_Fce3LoadConvertTo4);
VELKOR_MODEL_SIZES(BM_Fce4LoadConvertTo3);
VELKOR_MODEL_SIZES(BM_PlainCopyOfNfs3Model);
VELKOR_MODEL_SIZES(BM_Fce3LoadConvertTo4Replacing);
VELKOR_MODEL_SIZES(BM_PlainCopyOfNfs3ModelReplacing);

}  // namespace
}  // namespace velkor
