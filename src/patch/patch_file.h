// Patches as files: made from two ROM files, applied to a ROM file, described. Patches describe
// headerless images: a 512-byte copier header on either side is left out of the patch, and the
// output of an apply gets the header the input ROM had. Every function reads its inputs whole,
// refuses an output path that names one of its inputs, and writes its output in one atomic
// replacement (nothing is written on any refusal).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "patch/patch_status.h"

namespace vcv {

enum class PatchFormat { kBps, kIps };

// The format a patch file name asks for: ".ips" (any case) gives IPS, anything else BPS.
PatchFormat patch_format_for_name(const std::string& path);
// True for names ending in .bps or .ips (any case).
bool has_patch_extension(const std::string& path);
const char* patch_format_name(PatchFormat format);  // "BPS", "IPS"

struct PatchFileResult {
  bool ok = false;
  // One line for the user: what was written ("wrote game.bps (BPS, 1234 bytes) ..."), or why
  // nothing was.
  std::string message;
  PatchStatus status = PatchStatus::kOk;  // kOk also for refusals that are not the patch's own
  uint64_t patch_size = 0;
};

// Makes the patch file `patch_path` (format by its name) that turns `original` into `modified`.
// The window's File > Export Patch calls this with the clean original the user chose and the
// path of the open ROM, so the patch holds what is written on disk, not unwritten edits.
PatchFileResult make_patch_file(const std::string& original, const std::string& modified,
                                const std::string& patch_path);

// Applies the patch file (format by its contents) to `rom` and writes the result to `output`.
// A BPS patch for another ROM is refused with both CRC32s; the result is checked against the
// patch's target CRC32 before anything is written.
PatchFileResult apply_patch_file(const std::string& rom, const std::string& patch_path,
                                 const std::string& output);

// The lines `patch info` prints (format, sizes, CRC32s, counts), "\n" after each; false with
// the reason in *text when the file is no patch or is damaged (the lines read so far are kept
// in front of it).
bool describe_patch_file(const std::string& patch_path, std::string* text);

// The same over bytes in memory.
bool describe_patch(const std::vector<uint8_t>& patch, std::string* text);

// The image without its copier header, and that header's length (0 or 512).
std::vector<uint8_t> headerless_image(const std::vector<uint8_t>& file, size_t* header);

}  // namespace vcv
