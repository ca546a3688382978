// The titles and texts the write commands show, in one place. UTF-8; the window program turns
// them into UTF-16 at the boundary.
#pragma once

#include <cstdint>
#include <string>

namespace vcv {

// The confirmation every write asks first.
extern const char kWriteConfirmTitle[];
extern const char kOverwriteQuestion[];         // Write Palette
extern const char kOverwriteQuestionLine[];     // Write Tile Info

// Write Image Changes.
extern const char kSizeOverTitle[];
extern const char kRepackSuccessTitle[];
extern const char kRepackFailureTitle[];
extern const char kAddressErrorTitle[];
extern const char kAddressErrorText[];

// Failures the tool reports on its own: the ROM is left as it was, or (read-back) the command
// stops at the first difference.
extern const char kWriteErrorTitle[];
extern const char kNotWritableText[];
extern const char kOutsideFileText[];
extern const char kPackRefusedText[];
extern const char kPackVerifyText[];
// The packed block is longer than the loader reads back; the text takes the size (%06X).
std::string pack_too_long_text(int packed_size);
extern const char kPointerReadBackText[];
extern const char kNotDecodedText[];
extern const char kTableReadBackText[];
extern const char kNoPositionDataText[];

std::string size_over_text(int stored_size, int new_size);
std::string repack_success_text(int free_bytes);
std::string repack_failure_text(int code);
std::string repack_stop_text(int result);  // a repacking result that ends the command
std::string read_back_text(uint32_t file_position);
std::string write_confirm_text(uint32_t address, uint32_t file_position, int stored_size,
                               int new_size);

}  // namespace vcv
