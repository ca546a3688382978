// Files a command keeps below a folder of its own (the files of a dump). Those files are the
// program's own, so a name below the folder is never followed when it is a link: a symbolic
// link or junction planted there could otherwise make a read, write or removal land outside the
// folder (on the ROM itself, or in another folder). The folder the user names may be a link.
//
// Names below the folder are relative, with '/' between parts. Paths are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vcv {

// `folder` + "/" + `relative`.
std::string path_below(const std::string& folder, const std::string& relative);

// A name that stays below the folder: no empty, "." or ".." part, no backslash or colon, not
// absolute.
bool is_plain_relative_name(const std::string& relative);

// Why `relative` may not be used below `folder`: a part on the way that is a link ("DIR/graphics
// is a link..."), a name that is not plain, or a part that cannot be examined. Empty when it may
// be used. Parts that do not exist yet end the walk.
std::string own_name_refusal(const std::string& folder, const std::string& relative,
                             FileSystem& fs = native_file_system());

// read_regular_file and a replacement like write_file_atomically's, for a name below the folder
// that own_name_refusal accepts (*error holds its refusal otherwise). The write creates the
// folders on the way when missing, and replaces a file by renaming over its name, never by
// writing through it.
bool read_own_file(const std::string& folder, const std::string& relative, uint64_t max_bytes,
                   std::vector<uint8_t>* bytes, std::string* error,
                   FileSystem& fs = native_file_system());
bool write_own_file(const std::string& folder, const std::string& relative,
                    const std::vector<uint8_t>& bytes, std::string* error,
                    FileSystem& fs = native_file_system());

// Removes the regular file `relative` below the folder (*removed says whether one was there); a
// missing one is no failure. Anything else (a link on the way, a folder, a device) is left
// alone: false with the reason.
bool remove_own_file(const std::string& folder, const std::string& relative, bool* removed,
                     std::string* error, FileSystem& fs = native_file_system());

}  // namespace vcv
