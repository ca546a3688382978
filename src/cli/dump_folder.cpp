#include "cli/dump_folder.h"

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <exception>
#include <set>
#include <system_error>
#include <thread>

#include "platform/json.h"
#include "platform/own_folder.h"

namespace vcv::cli {

namespace {

// Each file is flushed to the disk before it is renamed into place; the waits for the disk
// overlap when several files are written at once.
constexpr unsigned kWriterThreads = 8;
constexpr uint64_t kLargestKeptFile = 64ull * 1024 * 1024;

enum class FolderContent { kEmpty, kEarlierDump, kOther };

// What the folder holds now; for an earlier dump, the files its manifest lists.
FolderContent inspect_folder(const std::string& folder, std::vector<std::string>* listed) {
  listed->clear();
  std::vector<std::string> entries;
  // A folder that is missing (or no folder at all) is left to the first write to report.
  if (native_file_system().list_folder(folder, &entries).failed() || entries.empty()) {
    return FolderContent::kEmpty;
  }
  std::vector<uint8_t> bytes;
  std::string ignored;
  JsonValue manifest;
  JsonError parse_error;
  if (read_own_file(folder, kManifestFile, kLargestKeptFile, &bytes, &ignored) &&
      parse_json(reinterpret_cast<const char*>(bytes.data()), bytes.size(), &manifest,
                 &parse_error) &&
      read_manifest_file_list(manifest, listed)) {
    return FolderContent::kEarlierDump;
  }
  // A dump that failed part way never wrote its manifest: only its own names are there.
  for (const std::string& name : entries) {
    if (name != "graphics" && name != "positions" && !is_dump_file_name(name)) {
      return FolderContent::kOther;
    }
  }
  return FolderContent::kEarlierDump;
}

// Writes one file of the dump, unless it already holds these bytes.
bool write_dump_file(const std::string& folder, const AssetFile& file, std::string* error) {
  std::vector<uint8_t> existing;
  std::string ignored;
  if (read_own_file(folder, file.name, kLargestKeptFile, &existing, &ignored) &&
      existing == file.bytes) {
    return true;
  }
  return write_own_file(folder, file.name, file.bytes, error);
}

void remove_leftovers(const std::string& folder, const std::vector<std::string>& listed,
                      const std::vector<AssetFile>& files, DumpFolderReport* report) {
  std::set<std::string> written;
  for (const AssetFile& file : files) written.insert(file.name);
  for (const std::string& name : listed) {
    if (written.count(name) != 0) continue;
    std::string why;
    bool removed = false;
    if (!remove_own_file(folder, name, &removed, &why)) {
      report->kept.push_back(why);
    } else if (removed) {
      report->removed.push_back(name);
    }
  }
}

}  // namespace

std::string dump_names_refusal(const std::string& folder, const std::vector<std::string>& names,
                               const OutputGuard& guard) {
  for (const std::string& name : names) {
    std::string why = own_name_refusal(folder, name);
    if (why.empty()) why = guard.refusal(path_below(folder, name));
    if (!why.empty()) return why;
  }
  return "";
}

bool write_dump_files(const std::string& folder, const std::vector<AssetFile>& files,
                      const OutputGuard& guard, bool force, Progress& progress,
                      DumpFolderReport* report, std::string* error) {
  *report = DumpFolderReport();
  std::vector<std::string> names;
  for (const AssetFile& file : files) names.push_back(file.name);
  *error = dump_names_refusal(folder, names, guard);
  if (!error->empty()) {
    *error += "; nothing was written";
    return false;
  }
  std::vector<std::string> listed;
  if (inspect_folder(folder, &listed) == FolderContent::kOther && !force) {
    *error = folder + " holds other files and no earlier dump; give --force to dump into it "
                      "anyway, or choose an empty folder; nothing was written";
    return false;
  }
  std::vector<size_t> order;  // the manifest last
  for (size_t i = 0; i < files.size(); ++i) {
    if (files[i].name != kManifestFile) order.push_back(i);
  }
  const size_t parallel = order.size();
  for (size_t i = 0; i < files.size(); ++i) {
    if (files[i].name == kManifestFile) order.push_back(i);
  }
  const int total = static_cast<int>(files.size());
  std::atomic<int> done{0};
  std::vector<std::string> errors(files.size());
  auto write = [&](size_t i, bool report_progress) {
    // Nothing may leave a writer thread: an exception there would end the program.
    try {
      write_dump_file(folder, files[i], &errors[i]);
    } catch (const std::exception& e) {
      errors[i] = files[i].name + ": " + e.what();
    }
    ++done;
    if (report_progress) progress.update(total + done, 2 * total);
  };
  std::atomic<size_t> next{0};
  auto work = [&](bool report_progress) {
    for (size_t k = next++; k < parallel; k = next++) write(order[k], report_progress);
  };
  std::vector<std::thread> threads;
  try {
    for (unsigned t = 1; t < kWriterThreads; ++t) threads.emplace_back(work, false);
  } catch (const std::system_error&) {
    // Fewer threads than planned (the system refused one): those started and this one finish.
  }
  work(true);
  for (std::thread& thread : threads) thread.join();
  const auto failed = [&]() {
    for (const std::string& e : errors) {
      if (!e.empty()) {
        *error = e;
        return true;
      }
    }
    return false;
  };
  if (failed()) return false;
  // Before the new manifest, so that a run stopped here leaves names the old one still lists.
  remove_leftovers(folder, listed, files, report);
  for (size_t k = parallel; k < order.size(); ++k) write(order[k], true);
  return !failed();
}

void print_folder_report(const DumpFolderReport& report, const std::string& command,
                         Streams streams) {
  if (!report.removed.empty()) {
    std::fprintf(streams.out, "removed %zu file%s of the earlier dump that this one does not "
                              "write\n",
                 report.removed.size(), report.removed.size() == 1 ? "" : "s");
  }
  for (const std::string& why : report.kept) {
    std::fprintf(streams.err, "vantorchar %s: warning: a file of the earlier dump was kept: %s\n",
                 command.c_str(), why.c_str());
  }
}

}  // namespace vcv::cli
