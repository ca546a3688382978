// vantorchar dump: a ROM's sprite data as files, the way the ROM's tables organise it
// (assets/asset_dump.h), for keeping under version control and editing with other tools.
#include <atomic>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "assets/asset_dump.h"
#include "cli/cli_support.h"
#include "cli/progress.h"
#include "platform/file_io.h"

namespace vcv::cli {

namespace {

constexpr const char* kDumpUsage = "dump ROM DIR";
// Each file is flushed to the disk before it is renamed into place; the waits for the disk
// overlap when several files are written at once.
constexpr unsigned kWriterThreads = 8;
constexpr uint64_t kLargestKeptFile = 64ull * 1024 * 1024;

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar dump: %s; usage: %s\n", why.c_str(), kDumpUsage);
  return kExitUsage;
}

// The folder of a file of the dump, created when missing.
bool make_folder_for(const std::filesystem::path& file, std::string* error) {
  std::error_code code;
  std::filesystem::create_directories(file.parent_path(), code);
  if (code) {
    *error = "cannot create " + file.parent_path().u8string() + ": " + code.message();
    return false;
  }
  return true;
}

// Writes one file of the dump, unless it already holds these bytes (a dump over an earlier one
// touches only what changed).
bool write_dump_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes,
                     std::string* error) {
  std::vector<uint8_t> existing;
  std::string ignored;
  if (read_regular_file(path.u8string(), kLargestKeptFile, &existing, &ignored) &&
      existing == bytes) {
    return true;
  }
  if (!make_folder_for(path, error)) return false;
  if (write_file_atomically(path.u8string(), bytes, error)) return true;
  *error = path.u8string() + ": " + (error->empty() ? "cannot be written" : *error);
  return false;
}

// Writes every file; the first failure in file order is reported.
bool write_dump_files(const std::filesystem::path& folder, const std::vector<AssetFile>& files,
                      Progress& progress, std::string* error) {
  std::atomic<size_t> next{0};
  std::atomic<int> done{0};
  std::vector<std::string> errors(files.size());
  // Nothing may leave a writer thread: an exception there would end the program.
  auto work = [&](bool report) {
    for (size_t i = next++; i < files.size(); i = next++) {
      try {
        write_dump_file(folder / std::filesystem::u8path(files[i].name), files[i].bytes,
                        &errors[i]);
      } catch (const std::exception& e) {
        errors[i] = files[i].name + ": " + e.what();
      }
      ++done;
      const int total = static_cast<int>(files.size());
      if (report) progress.update(total + done, 2 * total);
    }
  };
  std::vector<std::thread> threads;
  try {
    for (unsigned t = 1; t < kWriterThreads; ++t) threads.emplace_back(work, false);
  } catch (const std::system_error&) {
    // Fewer threads than planned (the system refused one): those started and this one finish.
  }
  work(true);
  for (std::thread& thread : threads) thread.join();
  for (const std::string& e : errors) {
    if (!e.empty()) {
      *error = e;
      return false;
    }
  }
  return true;
}

}  // namespace

int cmd_dump(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (rest.size() != 2) return usage(streams, "a ROM file and a folder are needed");
  Document document;
  if (!open_document("dump", rest[0], &document, streams)) return kExitFailure;

  Progress progress(streams.err, "dump");
  const std::vector<AssetFile> files =
      dump_rom_assets(document.image(), document.directory(),
                      [&](int done, int total) { progress.update(done, 2 * total); });
  const std::filesystem::path folder = std::filesystem::u8path(rest[1]);
  std::string error;
  if (!make_folder_for(folder / kManifestFile, &error)) return fail(streams, "dump", error);
  if (!write_dump_files(folder, files, progress, &error)) return fail(streams, "dump", error);
  std::string problems;
  for (const AssetFile& file : files) {
    if (file.name == kProblemsFile) problems.assign(file.bytes.begin(), file.bytes.end());
  }
  std::fprintf(streams.out, "wrote %zu files to %s\n", files.size(), rest[1].c_str());
  if (!problems.empty()) {
    std::fprintf(streams.out, "not dumped (see %s):\n%s", kProblemsFile, problems.c_str());
  }
  return kExitOk;
}

}  // namespace vcv::cli
