// vantorchar apply: the files of a dump (edited or not) back into the ROM. Every difference
// between the files and the ROM is made in one copy of the image, checked, and written as one
// replacement of the ROM file; the folder is then dumped again from the ROM as written. Without
// --yes only the plan is printed and the command fails ("nothing written: add --yes"); with
// --dry-run the plan is printed and that is success.
#include <string>
#include <vector>

#include "assets/asset_apply.h"
#include "assets/asset_dump.h"
#include "cli/cli_support.h"
#include "cli/dump_folder.h"
#include "edit/command_messages.h"
#include "edit/rom_write.h"
#include "platform/own_folder.h"
#include "sprite/directory.h"

namespace vcv::cli {

namespace {

constexpr const char* kApplyUsage =
    "apply ROM DIR [--dry-run] [--pack game|optimal] [--map index|colour] [--nearest] "
    "[--no-backup] [--keep-history N] [--keep-checksum] [--yes] [--force]";
constexpr uint64_t kLargestAssetFile = 64ull * 1024 * 1024;

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar apply: %s; usage: %s\n", why.c_str(), kApplyUsage);
  return kExitUsage;
}

void print_plan(const ApplyPlan& plan, Streams streams) {
  for (const std::string& note : plan.notes) std::fprintf(streams.out, "note: %s\n", note.c_str());
  for (const std::string& line : plan.changes) std::fprintf(streams.out, "%s\n", line.c_str());
  for (const std::string& line : plan.regions) std::fprintf(streams.out, "%s\n", line.c_str());
}

}  // namespace

int cmd_apply(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  const bool dry_run = reader.take_flag("--dry-run");
  const bool no_backup = reader.take_flag("--no-backup");
  int keep_history = kDefaultHistoryKeep;
  if (!take_keep_history(reader, "apply", &keep_history, streams)) return kExitUsage;
  const bool keep_checksum = reader.take_flag("--keep-checksum");
  const bool yes = reader.take_flag("--yes");
  ApplyOptions options;
  options.force = reader.take_flag("--force");
  std::string pack = "game";
  reader.take_value("--pack", &pack);
  std::string mapping_error;
  const bool mapping_read = take_mapping_options(reader, &options.mapping, &mapping_error);
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (!mapping_read) return usage(streams, mapping_error);
  if (rest.size() != 2) return usage(streams, "a ROM file and a dump folder are needed");
  if (!parse_pack_method(pack.c_str(), &options.method)) {
    return usage(streams, "--pack is game or optimal, not '" + pack + "'");
  }

  Document document;
  if (!open_document("apply", rest[0], &document, streams, dry_run || !yes)) return kExitFailure;
  const std::string& folder = rest[1];
  // The folder's files are read without following a link there, and the names read are those
  // the folder is dumped to again after the write.
  std::vector<std::string> names = {kProblemsFile};
  const AssetReader read = [&](const std::string& name, std::vector<uint8_t>* bytes,
                               std::string* error) {
    names.push_back(name);
    return read_own_file(folder, name, kLargestAssetFile, bytes, error);
  };
  ApplyPlan plan;
  std::string error;
  if (!plan_asset_apply(document.image(), document.directory(), read, options, &plan, &error)) {
    return fail(streams, "apply", error + "; nothing was written");
  }
  print_plan(plan, streams);
  if (!plan.has_changes()) {
    std::fprintf(streams.out, "no changes: %s matches %s; nothing was written\n", rest[1].c_str(),
                 rest[0].c_str());
    return kExitOk;
  }
  if (dry_run || !yes) {
    std::fprintf(streams.out, "%zu change%s planned\n", plan.changes.size(),
                 plan.changes.size() == 1 ? "" : "s");
    if (!dry_run) return fail(streams, "apply", "nothing written: add --yes");
    std::fprintf(streams.out, "nothing written (--dry-run)\n");
    return kExitOk;
  }
  OutputGuard guard;
  protect_rom(guard, rest[0]);
  const std::string refused = dump_names_refusal(folder, names, guard);
  if (!refused.empty()) return fail(streams, "apply", refused + "; nothing was written");
  document.rom().set_keep_backup(!no_backup);
  document.rom().set_keep_history(keep_history);
  document.rom().set_update_checksum(!keep_checksum);
  const CommandResult result = replace_rom_image(document.rom(), plan.changed);
  print_write_notes(document.rom().last_write_notes(), streams);
  if (!result.wrote()) {
    std::string why = result.detail;
    if (const auto shown = message_for(result)) why = shown->text;
    if (why.empty()) why = "the ROM file could not be replaced";
    // The message says itself that nothing was written, or what became of the file.
    const bool said = why.find("Nothing was written") != std::string::npos ||
                      result.status == CommandStatus::kWriteFailed;
    return fail(streams, "apply", said ? why : why + " Nothing was written.");
  }
  std::fprintf(streams.out, "wrote %zu change%s to %s\n", plan.changes.size(),
               plan.changes.size() == 1 ? "" : "s", rest[0].c_str());
  if (!result.note.empty()) std::fprintf(streams.out, "note: %s\n", result.note.c_str());
  // The folder is dumped again from the ROM as written, so that it describes that ROM: its
  // manifest names the new bytes, pictures are drawn with the new palettes (else the next apply
  // would find their colours outside them, or map swapped colours to other indices), and the
  // numbers that share an edited block show the edit too. Only files that differ are written.
  SpriteDirectory directory;
  build_sprite_directory(document.image(), directory);
  Progress progress(streams.err, "apply");
  const std::vector<AssetFile> files =
      dump_rom_assets(document.image(), directory,
                      [&](int done, int total) { progress.update(done, 2 * total); });
  DumpFolderReport report;
  if (!write_dump_files(folder, files, guard, false, progress, &report, &error)) {
    std::fprintf(streams.err,
                 "vantorchar apply: warning: %s was not brought in line with the ROM: %s; dump "
                 "it again before the next apply\n",
                 rest[1].c_str(), error.c_str());
  }
  print_folder_report(report, "apply", streams);
  if (!result.backup_path.empty()) {
    std::fprintf(streams.out, "the ROM as it was before is kept in %s\n",
                 result.backup_path.c_str());
  }
  return kExitOk;
}

}  // namespace vcv::cli
