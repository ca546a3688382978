#include "view/view_texts.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "platform/portability.h"
#include "sprite/directory.h"
#include "sprite/frames.h"

namespace vcv {

namespace {

constexpr int kSequenceSteps = 4;      // bytes of one sequence
constexpr int kSequencesDivisor = 16;  // table bytes per animation (four facings of 4 steps)
constexpr uint8_t kSequenceEnd = 0xFF;
constexpr int kDumpBytesPerLine = 8;

VCV_PRINTF_FORMAT(2, 3) void append_format(std::string& text, const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (length > 0) text.append(line, static_cast<size_t>(std::min<int>(length, sizeof line - 1)));
}

int chosen_table(const ViewState& view) { return view.animation_table != 0 ? 1 : 0; }

// Byte `index` of a facing's slot; bytes the slot does not hold end the sequence.
int sequence_byte(const ViewState& view, const SpriteWorkingSet& set, int index) {
  const int facing = view.face_direction & 3;
  if (index < 0 || index >= kAnimationSlotSize) return kSequenceEnd;
  return set.animation[chosen_table(view)][facing][index];
}

const Frame& frame_or_empty(const SpriteWorkingSet& set, int image_no) {
  static const Frame kEmpty;
  if (image_no < 0 || image_no >= kFrameStoreSize) return kEmpty;
  return set.frames[image_no];
}

}  // namespace

int count_sequence_frames(const ViewState& view, const SpriteWorkingSet& set) {
  for (int i = 0; i < kSequenceSteps; ++i) {
    if (sequence_byte(view, set, view.animation_no * kSequenceSteps + i) == kSequenceEnd) return i;
  }
  return kSequenceSteps;
}

void apply_refresh_clamps(ViewState& view, const SpriteWorkingSet& set,
                          const SpriteDirectory& directory) {
  view.sequence_count = kSequenceSteps;
  view.image_count = directory_frame_count(directory, set.position_type);
  view.animation_count = set.animation_size[chosen_table(view)] / kSequencesDivisor;
  if (view.sequence_mode == 0) {
    if (view.image_no >= view.image_count) view.image_no = view.image_count - 1;
    view.image_no = std::max(view.image_no, 0);
    return;
  }
  if (view.animation_no >= view.animation_count) view.animation_no = view.animation_count - 1;
  view.animation_no = std::max(view.animation_no, 0);
  view.sequence_count = count_sequence_frames(view, set);
  if (view.sequence_no >= view.sequence_count) view.sequence_no = view.sequence_count - 1;
  view.sequence_no = std::max(view.sequence_no, 0);
  if (view.sequence_count == 0) {
    view.image_no = 0;
    view.sequence_no = 0;
  } else {
    view.image_no = sequence_byte(view, set, view.animation_no * kSequenceSteps + view.sequence_no);
  }
}

void append_hex_bytes(std::string& text, const uint8_t* bytes, int count, int per_line) {
  int on_line = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0 && on_line == per_line) {
      text += "\r\n";
      on_line = 0;
    }
    append_format(text, "%02X ", bytes[i]);
    ++on_line;
  }
}

std::string build_info_text(const ViewState& view, const SpriteWorkingSet& set,
                            const SpriteDirectory& directory) {
  const int record = set.record_size();
  std::string text;
  append_format(text, "Assembly=%02X(%02X%04X:size=%04X,realsize=%04X)\r\n", set.assembly(),
                set.graphics_bank, set.graphics_offset, set.decoded_size, set.stored_size);
  if (set.failed_entry >= 0) {
    append_format(text, kUndecodableFormat, set.graphics_bank, set.graphics_offset);
  }
  append_format(text, "Position Type=%02X(%02X%04X:size=%04X)\r\n", set.position_type,
                set.position_bank, set.position_offset,
                directory_position_size(directory, set.position_type));
  append_format(text, "Type of Size=%02X(# of Tiles=%d, # of Sprites=%d)\r\n", set.size_type,
                record * 2 / 5, record / 10);
  append_format(text, "Palette Type=%02X(%02X%04X:size=18)\r\n", set.palette_type, kTableBank,
                set.palette_type * kPaletteRecordSize);
  for (int table = 0; table < 2; ++table) {
    append_format(text, "Animation%d=%02X%04X(type=%02X,size=%04X)\r\n", table + 1, kTableBank,
                  set.animation_offset[table], set.animation_type(), set.animation_size[table]);
  }
  append_format(text, "Sprite Info=%02X%04X(ImageNo=%02X)\r\n", set.position_bank,
                set.position_offset + record * view.image_no, view.image_no);
  // The dump shows the record as the buffer holds it; a record past the buffer's end is cut.
  const long long start = static_cast<long long>(record) * view.image_no;
  if (start >= 0 && start < kPositionDataCapacity) {
    const int count = static_cast<int>(std::min<long long>(record, kPositionDataCapacity - start));
    append_hex_bytes(text, set.position_data + start, count, kDumpBytesPerLine);
  }
  text += "\r\n";
  return text;
}

std::string build_tile_info_text(const ViewState& view, const SpriteWorkingSet& set) {
  const Frame& frame = frame_or_empty(set, view.image_no);
  const int block = view.block_no;
  const bool in_store = block >= 0 && block < kMaxBlocksPerFrame;
  std::string text;
  append_format(text, "X=%d Y=%d\r\n", in_store ? byte_to_signed(frame.x[block]) : 0,
                in_store ? byte_to_signed(frame.y[block]) : 0);
  static const char* const kQuadrantNames[4] = {"U Left", "U Right", "L Left", "L Right"};
  for (int k = 0; k < 4; ++k) {
    const uint16_t entry = in_store ? frame.tile[block][k] : 0;
    append_format(text, "%s TileNo=%03X xflip=%d yflip=%d\r\n", kQuadrantNames[k],
                  entry & kTileNumberMask, (entry & kEntryFlipX) ? 1 : 0,
                  (entry & kEntryFlipY) ? 1 : 0);
  }
  return text;
}

std::string format_range_label(int count) {
  std::string text;
  append_format(text, "00\xEF\xBD\x9E%02X", static_cast<unsigned>(count - 1));
  return text;
}

}  // namespace vcv
