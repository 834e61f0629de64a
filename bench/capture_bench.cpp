// CaptureLastMap against the kernel's own copy with the same safe replace
// (copy to a temporary name, fsync, rename, fsync of the folder), against
// the plain copy and rename that puts nothing on the device, and the
// capture's peak memory over the source size.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "capture/capture.h"

namespace fs = std::filesystem;

namespace {

const long kSizes[] = {64L << 10, 4L << 20, 64L << 20};

class GameOnDisk {
 public:
  explicit GameOnDisk(long size) : dir_(fs::temp_directory_path() / ("grablet-bench-" + std::to_string(size))) {
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "Data");
    fs::create_directories(dir_ / "User/SavedLevels");
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::mt19937 random(static_cast<unsigned>(size));
    for (char& byte : bytes) byte = static_cast<char>(random());
    std::ofstream(source(), std::ios::binary).write(bytes.data(), size);
  }
  ~GameOnDisk() { fs::remove_all(dir_); }

  std::string dir() const { return dir_.string(); }
  fs::path source() const { return dir_ / "Data/current.thm"; }
  fs::path levels() const { return dir_ / "User/SavedLevels"; }

 private:
  fs::path dir_;
};

void BM_CaptureLastMap(benchmark::State& state) {
  GameOnDisk game(state.range(0));
  for (auto _ : state) {
    const CaptureReport report = CaptureLastMap(game.dir(), GameChoice::Armageddon, "Bench");
    if (report.outcome != CaptureOutcome::Created) state.SkipWithError("capture failed");
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// fsync through a descriptor of its own, as flushing by path has to.
bool FsyncPath(const fs::path& path, int flags) {
  const int fd = open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = fsync(fd) == 0;
  return close(fd) == 0 && flushed;
}

void BM_SafeCopyAndRename(benchmark::State& state) {
  GameOnDisk game(state.range(0));
  const fs::path temp = game.levels() / ".copy.tmp", target = game.levels() / "Bench.bit";
  for (auto _ : state) {
    fs::copy_file(game.source(), temp, fs::copy_options::overwrite_existing);
    if (!FsyncPath(temp, O_WRONLY)) state.SkipWithError("fsync of the file failed");
    fs::rename(temp, target);
    if (!FsyncPath(game.levels(), O_RDONLY | O_DIRECTORY))
      state.SkipWithError("fsync of the folder failed");
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_CopyAndRename(benchmark::State& state) {
  GameOnDisk game(state.range(0));
  const fs::path temp = game.levels() / ".copy.tmp", target = game.levels() / "Bench.bit";
  for (auto _ : state) {
    fs::copy_file(game.source(), temp, fs::copy_options::overwrite_existing);
    fs::rename(temp, target);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

long ProcStatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return -1;
}

// Peak resident memory that one capture adds, in bytes.
long CapturePeakBytes(long size) {
  GameOnDisk game(size);
  std::ofstream("/proc/self/clear_refs") << "5";  // restarts the high-water mark
  const long before = ProcStatusKiB("VmRSS:");
  CaptureLastMap(game.dir(), GameChoice::Armageddon, "Bench");
  return (ProcStatusKiB("VmHWM:") - before) * 1024;
}

// Keeps each run's time per iteration, for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> seconds;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration && run.iterations > 0)
        seconds[run.benchmark_name()] = run.real_accumulated_time / run.iterations;
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

BENCHMARK(BM_CaptureLastMap)->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SafeCopyAndRename)->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyAndRename)->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\n%-10s %12s %14s %8s %16s %14s %10s\n", "source", "capture ms", "safe copy ms",
              "ratio", "unflushed copy ms", "peak extra MiB", "budget MiB");
  for (const long size : kSizes) {
    const std::string arg = "/" + std::to_string(size);
    const double capture = reporter.seconds["BM_CaptureLastMap" + arg];
    const double safe = reporter.seconds["BM_SafeCopyAndRename" + arg];
    const double copy = reporter.seconds["BM_CopyAndRename" + arg];
    const double peak = CapturePeakBytes(size) / 1048576.0;
    const double budget = size / 1048576.0 + 2;
    std::printf("%-10s %12.3f %14.3f %7.2fx %16.3f %14.2f %10.2f%s\n",
                (std::to_string(size >> 10) + " KiB").c_str(), capture * 1e3, safe * 1e3,
                safe > 0 ? capture / safe : 0.0, copy * 1e3, peak, budget,
                peak > budget ? "  OVER" : "");
  }
  benchmark::Shutdown();
}
