// The folder of a dump, as dump and apply write it. Its files are the program's own: no name in
// it is followed when it is a link (platform/own_folder.h), none replaces a file the command
// reads (platform/output_guard.h), and a dump goes only into an empty folder or over an earlier
// dump, whose files it then replaces and whose leftovers it removes.
#pragma once

#include <string>
#include <vector>

#include "assets/asset_dump.h"
#include "cli/cli.h"
#include "cli/progress.h"
#include "platform/output_guard.h"

namespace vcv::cli {

// Why the files `names` may not be written below `folder`: a link on the way to one of them, or
// one that would replace a file `guard` protects. Empty when all of them may be written.
std::string dump_names_refusal(const std::string& folder, const std::vector<std::string>& names,
                               const OutputGuard& guard);

struct DumpFolderReport {
  std::vector<std::string> removed;  // files of the earlier dump this one does not write
  std::vector<std::string> kept;     // such files left alone, each with the reason
};

// Writes the files of a dump below `folder` (created when missing), each only when the file there
// does not already hold its bytes, so a dump over an earlier one touches only what changed.
//   - Nothing is written when dump_names_refusal refuses, or when the folder holds anything but
//     no earlier dump (no manifest, and names a dump does not write) and `force` is not given.
//   - Over an earlier dump, the files its manifest lists that this dump does not write are
//     removed, once every new file is written (links and anything but regular files are kept).
//   - The manifest goes last, and only when every other file was written: a folder whose
//     writing failed part way does not name the ROM it would describe.
// Progress runs over the second half of `progress` (making the files is the first). False with
// the first failure in file order.
bool write_dump_files(const std::string& folder, const std::vector<AssetFile>& files,
                      const OutputGuard& guard, bool force, Progress& progress,
                      DumpFolderReport* report, std::string* error);

// Says what became of the earlier dump's leftovers: how many were removed (on the output), and
// each one kept (a warning on the error stream).
void print_folder_report(const DumpFolderReport& report, const std::string& command,
                         Streams streams);

}  // namespace vcv::cli
