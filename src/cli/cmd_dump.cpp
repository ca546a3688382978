// vantorchar dump: a ROM's sprite data as files, the way the ROM's tables organise it
// (assets/asset_dump.h), for keeping under version control and editing with other tools.
#include <string>
#include <vector>

#include "assets/asset_dump.h"
#include "cli/cli_support.h"
#include "cli/dump_folder.h"
#include "cli/progress.h"

namespace vcv::cli {

namespace {

constexpr const char* kDumpUsage = "dump ROM DIR [--force]";

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar dump: %s; usage: %s\n", why.c_str(), kDumpUsage);
  return kExitUsage;
}

}  // namespace

int cmd_dump(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  const bool force = reader.take_flag("--force");
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (rest.size() != 2) return usage(streams, "a ROM file and a folder are needed");
  Document document;
  if (!open_document("dump", rest[0], &document, streams)) return kExitFailure;

  Progress progress(streams.err, "dump");
  const std::vector<AssetFile> files =
      dump_rom_assets(document.image(), document.directory(),
                      [&](int done, int total) { progress.update(done, 2 * total); });
  OutputGuard guard;
  protect_rom(guard, rest[0]);
  DumpFolderReport report;
  std::string error;
  if (!write_dump_files(rest[1], files, guard, force, progress, &report, &error)) {
    return fail(streams, "dump", error);
  }
  std::string problems;
  for (const AssetFile& file : files) {
    if (file.name == kProblemsFile) problems.assign(file.bytes.begin(), file.bytes.end());
  }
  std::fprintf(streams.out, "wrote %zu files to %s\n", files.size(), rest[1].c_str());
  print_folder_report(report, "dump", streams);
  if (!problems.empty()) {
    std::fprintf(streams.out, "not dumped (see %s):\n%s", kProblemsFile, problems.c_str());
  }
  return kExitOk;
}

}  // namespace vcv::cli
