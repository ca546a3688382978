// What reading, applying or making a patch came to, as named codes; one English line for each.
#pragma once

namespace vcv {

enum class PatchStatus {
  kOk,
  kNotAPatch,         // neither "BPS1" nor "PATCH" at the start
  kTruncated,         // the patch ends inside a field, a record or before its footer
  kMalformed,         // a field is impossible: an overflowing number, a zero run, bytes after
                      // the end marker, an action past the end of the actions
  kPatchCrcMismatch,  // the patch's own CRC32 is not that of its bytes: it was damaged
  kWrongSource,       // the input's size or CRC32 is not the one the patch was made from
  kOutOfBounds,       // an action or record reads or writes outside the source or the output
  kTooLarge,          // a size the patch names (or the pair given to make one) exceeds the limit
  kTargetCrcMismatch,  // the result is not what the patch promises: nothing is written
};

const char* describe_patch_status(PatchStatus status);

}  // namespace vcv
