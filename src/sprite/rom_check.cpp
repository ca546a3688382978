#include "sprite/rom_check.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "platform/portability.h"
#include "rom/rom_image.h"
#include "sprite/bank_regions.h"
#include "sprite/codec.h"
#include "sprite/directory.h"
#include "sprite/entry_headers.h"
#include "sprite/match_finder.h"
#include "sprite/rom_layout.h"

namespace vcv {

namespace {

// An animation is a sequence of 4 steps, each an image number, ended early by FF; a table holds
// one quarter per facing, and the panel counts size / 16 animations in it.
constexpr int kAnimationStepsPerSequence = 4;
constexpr int kAnimationTableBytesPerAnimation = 16;
constexpr int kAnimationSequenceEnd = 0xFF;

VCV_PRINTF_FORMAT(1, 2) std::string format(const char* pattern, ...) {
  char text[256];
  va_list args;
  va_start(args, pattern);
  std::vsnprintf(text, sizeof text, pattern, args);
  va_end(args);
  return text;
}

std::string where(int32_t address) {
  return format("%02X:%04X", (address >> 16) & 0xFF, address & 0xFFFF);
}

long long file_offset_of(const RomImage& rom, int32_t address) {
  return rom.file_offset((address >> 16) & 0xFF, address & 0xFFFF);
}

class Checker {
 public:
  Checker(const RomImage& rom, const SpriteDirectory& directory)
      : rom_(rom), directory_(directory), headers_(read_entry_headers(rom)) {}

  RomCheckReport run(bool reencode) {
    check_graphics(reencode);
    check_positions();
    check_animations();
    check_animation_frames();
    check_overlaps();
    report_.reencoded = reencode;
    return std::move(report_);
  }

 private:
  void problem(const std::string& what, const std::vector<int>& entries, const std::string& why) {
    report_.problems.push_back(what + " (" + entries_text(entries) + "): " + why);
    report_.parts.push_back({what, entries, why});
  }

  bool inside_file(long long start, long long size) const { return rom_.contains(start, size); }

  void check_graphics(bool reencode) {
    std::map<int32_t, size_t> reencoded_at;  // address -> index in report_.blocks
    MatchWorkspace workspace;
    for (const auto& [number, entries] : entries_by_field(headers_, kFieldAssembly)) {
      const int32_t address = read_table_pointer(rom_, kGraphicsPointerTable, number);
      const std::string what = format("graphics %02X at %s", number, where(address).c_str());
      const long long start = file_offset_of(rom_, address);
      if (!inside_file(start, 1)) {
        problem(what, entries, format("the pointer lies outside the file (%lld bytes)", rom_.size()));
        continue;
      }
      if (number < kFirstPackedGraphics) {
        if (!inside_file(start, kPlainGraphicsSize[number])) {
          problem(what, entries, format("the plain tile data (%X bytes) runs past the end of the "
                                        "file", kPlainGraphicsSize[number]));
        }
        continue;
      }
      std::vector<uint8_t> packed(kPackedReadSize, 0xFF), decoded(kGraphicsDecodeLimit);
      rom_.read_at(start, kPackedReadSize, packed.data());
      int packed_size = 0;
      const int size = unpack_block(packed.data(), packed.size(), 0, decoded.data(),
                                    kGraphicsDecodeLimit, &packed_size);
      if (size < 0) {
        problem(what, entries, "the packed block does not decode");
        continue;
      }
      if (!inside_file(start, packed_size)) {
        problem(what, entries, format("the packed block (%X bytes) runs past the end of the file",
                                      packed_size));
        continue;
      }
      const BankRegion* region = find_bank_region((address >> 16) & 0xFF);
      if (region != nullptr && region_contains(*region, region->bank, address & 0xFFFF) &&
          (address & 0xFFFF) + packed_size > region->end) {
        problem(what, entries, format("the packed block (%X bytes) runs past the end of its "
                                      "region %02X:%04X-%04X", packed_size, region->bank,
                                      region->first, region->end - 1));
      }
      if (!reencode) continue;
      const auto known = reencoded_at.find(address);
      if (known != reencoded_at.end()) {
        report_.blocks[known->second].graphics.push_back(number);
        continue;
      }
      std::vector<uint8_t> again(kPackedBufferSize);
      const int again_size = pack_block_best(decoded.data(), size, again.data(), kPackedBufferSize,
                                             MatchSearch::kFast, &workspace);
      ReencodedBlock block;
      block.graphics.push_back(number);
      block.address = address;
      block.stored_size = packed_size;
      block.reencoded_size = again_size;
      block.identical = again_size == packed_size &&
                        std::memcmp(again.data(), packed.data(), static_cast<size_t>(packed_size)) == 0;
      reencoded_at[address] = report_.blocks.size();
      report_.blocks.push_back(std::move(block));
    }
  }

  void check_positions() {
    for (const auto& [type, entries] : entries_by_field(headers_, kFieldPositionType)) {
      const int32_t address = read_table_pointer(rom_, kPositionPointerTable, type);
      const std::string what = format("position data %02X at %s", type, where(address).c_str());
      if (type >= kPositionTypeCount) {
        problem(what, entries, format("the position pointer table has only %X entries",
                                      kPositionTypeCount));
        continue;
      }
      const long long start = file_offset_of(rom_, address);
      const int size = directory_.position_data_size[type];
      const int record = kRecordSize[directory_.size_type_of[type] & 3];
      if (!inside_file(start, 1)) {
        problem(what, entries, format("the pointer lies outside the file (%lld bytes)", rom_.size()));
      } else if (!inside_file(start, size)) {
        problem(what, entries, format("its %X bytes run past the end of the file", size));
      } else if (size < record) {
        problem(what, entries, format("it holds %X bytes, less than one frame (%X bytes)", size,
                                      record));
      } else if (size > kPositionDataCapacity) {
        problem(what, entries, format("it holds %X bytes; loading reads at most %X", size,
                                      kPositionDataCapacity));
      } else if (directory_.frame_count[type] > kFrameStoreSize) {
        problem(what, entries, format("it holds %X frames; loading keeps at most %X",
                                      directory_.frame_count[type], kFrameStoreSize));
      }
    }
  }

  void check_animations() {
    for (const auto& [type, entries] : entries_by_field(headers_, kFieldAnimationType)) {
      for (int table = 0; table < 2; ++table) {
        const int at = kAnimationPointerTable[table] + 2 * type;
        const int offset = rom_.read_word(kTableBank, at);
        const int next = rom_.read_word(kTableBank, at + 2);
        const std::string what = format("Animation %d data of type %02X at %02X:%04X", table + 1,
                                        type, kTableBank, offset);
        const int size = next - offset;
        if (size < 0) {
          problem(what, entries, format("the next pointer (%02X:%04X) lies below it, so its size "
                                        "is negative", kTableBank, next));
        } else if (size > 0 && !inside_file(rom_.file_offset(kTableBank, offset), size)) {
          problem(what, entries, format("its %X bytes run past the end of the file", size));
        } else if (size / kFacingCount > kAnimationSlotSize) {
          problem(what, entries, format("a facing takes %X bytes; loading keeps at most %X",
                                        size / kFacingCount, kAnimationSlotSize));
        }
      }
    }
  }

  // Each animation step names an image of the entry: a step past the frames of the entry's
  // position type shows an empty frame. One line per animation table and type, naming the
  // entries whose position type has too few frames, the first such step and the range of
  // frame counts among them.
  void check_animation_frames() {
    for (const auto& [type, entries] : entries_by_field(headers_, kFieldAnimationType)) {
      for (int table = 0; table < 2; ++table) {
        const int at = kAnimationPointerTable[table] + 2 * type;
        const int offset = rom_.read_word(kTableBank, at);
        const std::vector<uint8_t> steps =
            animation_steps(offset, rom_.read_word(kTableBank, at + 2) - offset);
        std::vector<int> short_entries;
        int fewest = kFrameStoreSize, most = 0;
        for (int e : entries) {
          const int position_type = headers_[static_cast<size_t>(e)].field[kFieldPositionType];
          if (position_type >= kPositionTypeCount) continue;  // check_positions says so
          const int frames = directory_.frame_count[position_type];
          if (first_step_past(steps, frames) < 0) continue;
          short_entries.push_back(e);
          fewest = std::min(fewest, frames);
          most = std::max(most, frames);
        }
        if (short_entries.empty()) continue;
        const int first = first_step_past(steps, fewest);
        const int quarter = static_cast<int>(steps.size()) / kFacingCount;
        const int index = first % quarter;
        problem(format("Animation %d data of type %02X at %02X:%04X", table + 1, type, kTableBank,
                       offset),
                short_entries,
                format("animation %02X facing %d step %d names image %02X, past the %X%s frames "
                       "of their position types", index / kAnimationStepsPerSequence,
                       first / quarter, index % kAnimationStepsPerSequence, steps[first], fewest,
                       most == fewest ? "" : format(" to %X", most).c_str()));
      }
    }
  }

  // The steps the panel shows of one animation table: each facing's quarter, cut to the whole
  // animations the panel counts and to what loading keeps; bytes past those read as ends.
  std::vector<uint8_t> animation_steps(int offset, int size) const {
    const AnimationQuarters split = animation_quarters(size);
    const int shown = std::min(split.kept, std::max(size, 0) / kAnimationTableBytesPerAnimation *
                                               kAnimationStepsPerSequence);
    std::vector<uint8_t> steps;
    for (int facing = 0; facing < kFacingCount; ++facing) {
      for (int index = 0; index < shown; ++index) {
        steps.push_back(static_cast<uint8_t>(
            rom_.read_byte(kTableBank, offset + facing * split.quarter + index)));
      }
    }
    return steps;
  }

  // The first step (index into `steps`) that names an image of `frames` or more, counting only
  // steps before the end of their sequence; -1 when none.
  static int first_step_past(const std::vector<uint8_t>& steps, int frames) {
    bool ended = false;
    for (size_t i = 0; i < steps.size(); ++i) {
      if (i % kAnimationStepsPerSequence == 0) ended = false;
      if (steps[i] == kAnimationSequenceEnd) ended = true;
      if (!ended && steps[i] >= frames) return static_cast<int>(i);
    }
    return -1;
  }

  void check_overlaps() {
    std::vector<KnownBlock> blocks = known_blocks(rom_, directory_);
    std::stable_sort(blocks.begin(), blocks.end(), [](const KnownBlock& a, const KnownBlock& b) {
      return a.start < b.start;
    });
    for (size_t i = 0; i < blocks.size(); ++i) {
      for (size_t j = i + 1; j < blocks.size() && blocks[j].start < blocks[i].end; ++j) {
        const KnownBlock& a = blocks[i];
        const KnownBlock& b = blocks[j];
        // One block named by several numbers (shared graphics or position data) is no overlap.
        if (a.kind == b.kind && a.start == b.start && a.end == b.end) continue;
        report_.problems.push_back(a.name + " overlaps " + b.name + format(" (%lld bytes)",
                                   std::min(a.end, b.end) - b.start));
        report_.parts.push_back({report_.problems.back(), {}, ""});
      }
    }
  }

  const RomImage& rom_;
  const SpriteDirectory& directory_;
  std::vector<EntryHeader> headers_;
  RomCheckReport report_;
};

}  // namespace

int RomCheckReport::identical_count() const {
  return static_cast<int>(std::count_if(blocks.begin(), blocks.end(),
                                        [](const ReencodedBlock& b) { return b.identical; }));
}

RomCheckReport check_rom(const RomImage& image, const SpriteDirectory& directory, bool reencode) {
  return Checker(image, directory).run(reencode);
}

}  // namespace vcv
