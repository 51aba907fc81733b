// Thumbnails of a car of a real car's size (about 8000 triangles in its high body and
// wheels, a 256 x 256 texture of 32-bit pixels), as a file manager asks for them.
//
//   Thumbnail/256      one thumbnail drawn and written inside this process
//   Process/256        `velkor --thumbnail 256 car.viv out.png` as its own process, as the
//                      thumbnail services start it; counters: peak_MiB, the largest peak
//                      resident memory of those processes, and cpu_ms, their processor
//                      time each (user and system), which a loaded machine disturbs least
// Targets: at most 50 ms per car at 256 pixels and 40 MiB peak memory.

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <string>

#include "app/Thumbnail.h"
#include "bench/BenchFolder.h"
#include "files/AtomicOutput.h"
#include "sample/SampleCar.h"
#include "sample/SampleModel.h"

extern char** environ;

namespace velkor {
namespace {

std::string WriteCar(const bench::BenchFolder& folder) {
  std::vector<sample::Member> car = sample::RoadsterCar();
  for (auto& [name, bytes] : car) {
    if (name == "car.fce") bytes = sample::RoadsterModel(16);
    if (name == "car00.tga")
      for (const auto& [realName, realBytes] : sample::RealisticCar())
        if (realName == "car00.tga") bytes = realBytes;
  }
  const std::string path = folder / "car.viv";
  WriteFileAtomically(path, sample::PackArchive(car));
  return path;
}

void Thumbnail(benchmark::State& state) {
  bench::BenchFolder folder("thumbnail-bench");
  const std::string car = WriteCar(folder);
  const int size = static_cast<int>(state.range(0));
  for (auto _ : state) WriteThumbnail(size, car, folder / "out.png");
}
BENCHMARK(Thumbnail)->Arg(128)->Arg(256)->Arg(512)->Unit(benchmark::kMillisecond);

void Process(benchmark::State& state) {
  bench::BenchFolder folder("thumbnail-bench");
  const std::string car = WriteCar(folder), out = folder / "out.png", size = std::to_string(state.range(0));
  long peakKiB = 0;
  double cpuMs = 0;
  for (auto _ : state) {
    std::vector<std::string> words = {VELKOR_EXE, "--thumbnail", size, car, out};
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, VELKOR_EXE, nullptr, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start velkor");
      return;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("velkor --thumbnail failed");
      return;
    }
    peakKiB = std::max(peakKiB, usage.ru_maxrss);
    const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
    cpuMs += ms(usage.ru_utime) + ms(usage.ru_stime);
  }
  state.counters["peak_MiB"] = static_cast<double>(peakKiB) / 1024.0;
  state.counters["cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(Process)->Arg(256)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkor
