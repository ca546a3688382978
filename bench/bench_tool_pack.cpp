// The command-line tool's `pack` of 40 KiB of sprite-like tile data against the same packing in
// this process, measured side by side in one run: each iteration runs `vantorchar --version`
// (the tool's start-up), `vantorchar pack IN OUT`, and pack_block_best here, and takes the
// processor time of each (the children's from the system, this process's own clock); `pack` of
// one byte shows what reading and writing the files cost. A single block must pay only for what
// it uses: the tool's pack beyond its start-up within twice the in-process time. Counters
// (medians): startup_ms, files_ms, tool_pack_ms, in_process_ms,
// ratio = (tool_pack_ms - startup_ms) / in_process_ms, and
// ratio_beyond_files = (tool_pack_ms - files_ms) / in_process_ms.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_data.h"
#include "sprite/codec.h"

extern char** environ;

namespace {

constexpr size_t kSampleSize = 40960;
constexpr uint32_t kSampleSeed = 1;  // the sample of bench_codec.cpp

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; }

// The processor time (user and system) the children waited for so far have used.
double children_cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double own_cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// Runs the program with `args`, output to /dev/null; its processor time, or -1 when it failed.
double run_child(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const double before = children_cpu_seconds();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return -1;
  }
  return children_cpu_seconds() - before;
}

double median_ms(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : 1000 * values[values.size() / 2];
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void BM_ToolPackAgainstInProcess(benchmark::State& state) {
  const std::string tool =
      (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "vantorchar").string();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "vcv-bench-pack";
  std::filesystem::create_directories(folder);
  const std::string in = (folder / "sample.bin").string();
  const std::string one_byte = (folder / "one.bin").string();
  const std::string out = (folder / "sample.packed").string();
  const std::vector<uint8_t> sample = vcv::testdata::sprite_tiles(kSampleSize, kSampleSeed);
  write_file(in, sample);
  write_file(one_byte, {sample.front()});
  std::vector<uint8_t> block(vcv::kPackedBufferSize);

  // Medians, so that a run disturbed by another process on the machine does not count.
  std::vector<double> startup, files, tool_pack, in_process;
  for (auto _ : state) {
    startup.push_back(run_child({tool, "--version"}));
    files.push_back(run_child({tool, "pack", one_byte, out}));
    tool_pack.push_back(run_child({tool, "pack", in, out}));
    if (startup.back() < 0 || files.back() < 0 || tool_pack.back() < 0) {
      state.SkipWithError(("cannot run " + tool).c_str());
      break;
    }
    const double before = own_cpu_seconds();
    const int size = vcv::pack_block_best(sample.data(), static_cast<int>(sample.size()),
                                          block.data(), vcv::kPackedBufferSize);
    in_process.push_back(own_cpu_seconds() - before);
    benchmark::DoNotOptimize(size);
  }
  std::filesystem::remove_all(folder);
  const double packing = median_ms(in_process);
  if (packing <= 0) return;
  state.counters["startup_ms"] = median_ms(startup);
  state.counters["files_ms"] = median_ms(files);
  state.counters["tool_pack_ms"] = median_ms(tool_pack);
  state.counters["in_process_ms"] = packing;
  state.counters["ratio"] = (median_ms(tool_pack) - median_ms(startup)) / packing;
  state.counters["ratio_beyond_files"] = (median_ms(tool_pack) - median_ms(files)) / packing;
}

}  // namespace

BENCHMARK(BM_ToolPackAgainstInProcess)->Unit(benchmark::kMillisecond)->Iterations(200);
