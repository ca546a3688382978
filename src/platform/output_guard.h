// What a command must never replace with a file it writes: the files it reads, and for a ROM
// also its backup and the earlier states kept in its history folder (rom/rom_outputs.h names
// them). Files are told apart by identity (device and inode; volume serial and file index on Windows)
// after following links, so that no other name of a protected file gets past: a symbolic link,
// a hard link, another spelling of the path.
//
// Identities are taken when refusal() is asked, not when a file is protected: a command that
// has replaced the ROM meanwhile (apply) protects the new ROM and the backup as they are then.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vcv {

class OutputGuard {
 public:
  explicit OutputGuard(FileSystem& fs = native_file_system()) : fs_(fs) {}

  // A file no output may be; `role` names it in a refusal ("the input").
  void protect_file(const std::string& path, const std::string& role);
  // A folder no output may be put into, nor be a file of; `role` names it in a refusal ("the
  // history of the ROM being read").
  void protect_folder(const std::string& path, const std::string& role);

  // Empty when writing `output` replaces none of the protected files (nor puts a file into a
  // history folder); otherwise one line naming what it would replace, for the user.
  std::string refusal(const std::string& output) const;

 private:
  struct Protected {
    std::string path;
    std::string role;
    bool folder;  // everything in it is protected
  };
  std::string refusal_by_folder(const Protected& folder, const std::string& name,
                                const FileInfo* output, const std::string& target) const;

  FileSystem& fs_;
  std::vector<Protected> protected_;
};

}  // namespace vcv
