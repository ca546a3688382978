#include "patch/patch_status.h"

namespace vcv {

const char* describe_patch_status(PatchStatus status) {
  switch (status) {
    case PatchStatus::kOk: return "ok";
    case PatchStatus::kNotAPatch: return "not a BPS or IPS patch";
    case PatchStatus::kTruncated: return "the patch is cut short";
    case PatchStatus::kMalformed: return "the patch is malformed";
    case PatchStatus::kPatchCrcMismatch: return "the patch is damaged (its own CRC32 differs)";
    case PatchStatus::kWrongSource: return "the patch was made for another ROM";
    case PatchStatus::kOutOfBounds:
      return "the patch reads or writes outside the ROM (a corrupt patch, or made for another "
             "ROM)";
    case PatchStatus::kTooLarge: return "the patch names a size beyond the 16 MiB limit";
    case PatchStatus::kTargetCrcMismatch:
      return "the result is not the ROM the patch describes (its CRC32 differs)";
  }
  return "unknown patch status";
}

}  // namespace vcv
