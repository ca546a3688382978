#include "demo/demo_rom.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "demo/demo_art.h"
#include "platform/file_io.h"
#include "rom/header_checksum.h"
#include "rom/rom_image.h"
#include "sprite/bank_regions.h"
#include "sprite/codec.h"
#include "sprite/frames.h"
#include "sprite/sprite_data.h"
#include "sprite/tiles.h"

namespace vcv::demo {

namespace {

// ---- design: what each position type, graphics number and entry is ----

enum class Design { kCharacter, kHumanoid, kCritter, kFlyer, kGiant, kLongGiant };

constexpr int kPlayableCount = 7;
constexpr int kLongGiantPositionType = 0xE6;
constexpr int kGraphicsCount = 40;  // 0..6 plain, 7..38 packed pictures, 39 undecodable
constexpr int kUndecodableBlockSize = 64;
constexpr uint8_t kRomFill = 0xFF;
constexpr int kEntryFlags = 0x2000;  // bits 11-13 of every tile entry, kept but not drawn
constexpr uint8_t kSequenceEnd = 0xFF;
constexpr int kImagePastLastFrame = 0x30;  // more than any critter's frames

constexpr int kHumanoidGraphics[] = {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 38};
constexpr int kCritterGraphics[] = {19, 20, 21, 22, 23, 24, 25, 26};
constexpr int kFlyerGraphics[] = {27, 28, 29, 30, 31, 32};
constexpr int kGiantGraphics[] = {33, 34, 35, 36};

Design position_design(int position_type) {
  if (position_type < kPlayableCount) return Design::kCharacter;
  if (position_type == kLongGiantPositionType) return Design::kLongGiant;
  static const Design kCycle[8] = {Design::kHumanoid, Design::kCritter, Design::kHumanoid,
                                   Design::kFlyer,    Design::kCritter, Design::kGiant,
                                   Design::kHumanoid, Design::kCritter};
  return kCycle[(position_type - kPlayableCount) % 8];
}

FigureKind design_kind(Design design) {
  switch (design) {
    case Design::kCharacter:
    case Design::kHumanoid:
      return FigureKind::kHumanoid;
    case Design::kCritter:
      return FigureKind::kCritter;
    case Design::kFlyer:
      return FigureKind::kFlyer;
    case Design::kGiant:
    case Design::kLongGiant:
      return FigureKind::kGiant;
  }
  return FigureKind::kHumanoid;
}

bool is_creature(Design design) {
  return design == Design::kCritter || design == Design::kFlyer || design == Design::kGiant;
}

// Entries below the position type count name the position type of their own number, so every
// position type is named; the rest (mostly enemies) cycle through the creature types.
int entry_position_type(int entry) {
  if (entry < kPositionTypeCount) return entry;
  static int creatures[kPositionTypeCount];
  static int creature_count = 0;
  if (creature_count == 0) {
    for (int p = 0; p < kPositionTypeCount; ++p) {
      if (is_creature(position_design(p))) creatures[creature_count++] = p;
    }
  }
  return creatures[(entry - kPositionTypeCount) % creature_count];
}

template <size_t N>
int pick(const int (&list)[N], int entry) {
  return list[static_cast<size_t>(entry * 5 + entry / 9) % N];
}

// The picture an entry's position type draws.
int design_graphics(int entry) {
  const int p = entry_position_type(entry);
  switch (position_design(p)) {
    case Design::kCharacter:
      return p;
    case Design::kHumanoid:
      return pick(kHumanoidGraphics, entry);
    case Design::kCritter:
      return pick(kCritterGraphics, entry);
    case Design::kFlyer:
      return pick(kFlyerGraphics, entry);
    case Design::kGiant:
      return pick(kGiantGraphics, entry);
    case Design::kLongGiant:
      return DemoRomFacts::kLongGiantGraphics;
  }
  return 0;
}

int entry_graphics(int entry) {
  if (entry == DemoRomFacts::kEntryUndecodable) return DemoRomFacts::kUndecodableGraphics;
  return design_graphics(entry);
}

// Animation types: 0 and 5 walkers (5 without an Animation 2), 1 critters, 2 flyers, 3 giants,
// 4 the long giant.
int entry_animation_type(int entry) {
  switch (position_design(entry_position_type(entry))) {
    case Design::kCharacter:
      return 0;
    case Design::kHumanoid:
      return entry % 2 == 0 ? 0 : DemoRomFacts::kAnimationTypeNoTable2;
    case Design::kCritter:
      return 1;
    case Design::kFlyer:
      return 2;
    case Design::kGiant:
      return 3;
    case Design::kLongGiant:
      return 4;
  }
  return 0;
}

int entry_palette_type(int entry) {
  return entry < kPlayableCount ? entry : kPlayableCount + (entry * 29) % 249;
}

// ---- pictures ----

struct Picture {
  FigureKind kind;
  int poses;
  std::vector<uint8_t> tiles;
};

struct SheetGeometry {
  int tiles_wide, tiles_high, frames_per_strip;
};

SheetGeometry sheet_geometry(FigureKind kind) {
  const FigureShape shape = figure_shape(kind);
  const int wide = shape.blocks_wide * 2;
  return {wide, shape.blocks_high * 2, 16 / wide};
}

// Poses are laid out as pictures in the 16-tile-wide sheet, so the sheet shows the figures.
int picture_tile(FigureKind kind, int pose, int tx, int ty) {
  const SheetGeometry g = sheet_geometry(kind);
  return ((pose / g.frames_per_strip) * g.tiles_high + ty) * 16 +
         (pose % g.frames_per_strip) * g.tiles_wide + tx;
}

Picture draw_picture(FigureKind kind, int variant, int poses) {
  const SheetGeometry g = sheet_geometry(kind);
  const int strips = (poses + g.frames_per_strip - 1) / g.frames_per_strip;
  const int sheet_height = strips * g.tiles_high * 8;
  std::vector<uint8_t> sheet(static_cast<size_t>(kSheetWidth) * sheet_height, 0);
  for (int pose = 0; pose < poses; ++pose) {
    const Pixels pixels = draw_figure(kind, variant, pose);
    const int left = (pose % g.frames_per_strip) * pixels.width;
    const int top = (pose / g.frames_per_strip) * pixels.height;
    for (int y = 0; y < pixels.height; ++y) {
      std::memcpy(&sheet[static_cast<size_t>(top + y) * kSheetWidth + left],
                  &pixels.data[static_cast<size_t>(y) * pixels.width], pixels.width);
    }
  }
  Picture picture{kind, poses, {}};
  const int tile_count = (kSheetWidth / 8) * (sheet_height / 8);
  picture.tiles.assign(static_cast<size_t>(tile_count) * kTileBytes, 0);
  for (int t = 0; t < tile_count; ++t) {
    encode_tile(&picture.tiles[static_cast<size_t>(t) * kTileBytes], sheet.data(), kSheetWidth,
                8 * (t % 16), 8 * (t / 16), 0);
  }
  return picture;
}

Picture graphics_picture(int graphics) {
  if (graphics < kPlayableCount || (graphics >= 7 && graphics <= 18)) {
    return draw_picture(FigureKind::kHumanoid, graphics,
                        figure_shape(FigureKind::kHumanoid).pose_count);
  }
  if (graphics <= 26)
    return draw_picture(FigureKind::kCritter, graphics,
                        figure_shape(FigureKind::kCritter).pose_count);
  if (graphics <= 32)
    return draw_picture(FigureKind::kFlyer, graphics, figure_shape(FigureKind::kFlyer).pose_count);
  if (graphics <= 36)
    return draw_picture(FigureKind::kGiant, graphics, figure_shape(FigureKind::kGiant).pose_count);
  return draw_picture(FigureKind::kGiant, graphics, kLongGiantPoses);
}

// ---- position data ----

struct FrameRef {
  int pose;
  bool mirrored;
  int shift_x;
};

std::vector<FrameRef> design_frames(Design design) {
  switch (design) {
    case Design::kCharacter:
    case Design::kHumanoid:
      return {{0, false, 0}, {1, false, 0}, {2, false, 0}, {3, false, 0},  {4, false, 0},
              {5, false, 0}, {6, false, 0}, {7, false, 0}, {8, false, 0},  {6, true, 0},
              {7, true, 0},  {8, true, 0},  {9, false, 0}, {10, false, 0}, {11, false, -3}};
    case Design::kCritter:
      return {{0, false, 0}, {1, false, 0}, {2, false, 0}, {3, false, 0}, {4, false, 0},
              {5, false, 0}, {4, true, 0},  {5, true, 0},  {6, false, 0}};
    case Design::kFlyer:
      return {{0, false, 0}, {1, false, 0}, {2, false, 0}, {3, false, 0}, {3, true, 0}};
    case Design::kGiant:
      return {{0, false, 0}, {1, false, 0}, {2, false, 0},
              {3, false, 0}, {0, true, 0},  {2, true, 0}};
    case Design::kLongGiant: {
      std::vector<FrameRef> frames;
      for (int pose = 0; pose < kLongGiantPoses; ++pose) frames.push_back({pose, false, 0});
      return frames;
    }
  }
  return {};
}

void put_word(uint8_t* at, int value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

// One Sprite Info record: blocks on a blocks_wide x blocks_high grid around the centre; a
// mirrored frame takes the blocks of the opposite column with their two halves swapped.
void write_record(FigureKind kind, const FrameRef& frame, uint8_t* record) {
  const FigureShape shape = figure_shape(kind);
  const int blocks = kBlocksPerFrame[shape.size_type];
  for (int by = 0; by < shape.blocks_high; ++by) {
    for (int bx = 0; bx < shape.blocks_wide; ++bx) {
      const int d = by * shape.blocks_wide + bx;
      const int source_bx = frame.mirrored ? shape.blocks_wide - 1 - bx : bx;
      record[8 * blocks + 2 * d] =
          static_cast<uint8_t>(signed_to_byte(bx * 16 - shape.blocks_wide * 8 + frame.shift_x));
      record[8 * blocks + 2 * d + 1] =
          static_cast<uint8_t>(signed_to_byte(by * 16 - shape.blocks_high * 8));
      for (int k = 0; k < 4; ++k) {
        int tx = 2 * source_bx + (k & 1);
        if (frame.mirrored) tx = 2 * source_bx + 1 - (k & 1);
        const int ty = 2 * by + (k >> 1);
        const int entry = picture_tile(kind, frame.pose, tx, ty) | kEntryFlags |
                          (frame.mirrored ? kEntryFlipX : 0);
        put_word(record + 2 * tile_entry_word_index(shape.size_type, d, k), entry);
      }
    }
  }
}

// `frame_count` records; frames past the design's own repeat them from the start.
std::vector<uint8_t> position_block(Design design, int frame_count) {
  const FigureKind kind = design_kind(design);
  const int record = kRecordSize[figure_shape(kind).size_type];
  const std::vector<FrameRef> frames = design_frames(design);
  std::vector<uint8_t> block(static_cast<size_t>(record) * frame_count, 0);
  for (int i = 0; i < frame_count; ++i) {
    write_record(kind, frames[static_cast<size_t>(i) % frames.size()],
                 &block[static_cast<size_t>(i) * record]);
  }
  return block;
}

// ---- animations ----

using Sequence = std::array<int, 4>;

// Four quarters (Up, Down, Left, Right), each `count` sequences of four image numbers.
template <typename Fn>
std::vector<uint8_t> animation_block(int count, Fn sequence) {
  std::vector<uint8_t> bytes;
  for (int facing = 0; facing < 4; ++facing) {
    for (int a = 0; a < count; ++a) {
      const Sequence s = sequence(facing, a);
      for (int v : s) bytes.push_back(static_cast<uint8_t>(v));
    }
  }
  return bytes;
}

constexpr int E = kSequenceEnd;

void animation_blocks(int type, DemoRomKind kind, std::vector<uint8_t>* first,
                      std::vector<uint8_t>* second) {
  // First image of each facing: Up, Down, Left, Right.
  static const int kWalkerBase[4] = {3, 0, 6, 9};
  static const int kCritterBase[4] = {2, 0, 4, 6};
  switch (type) {
    case 0:
    case 5:
      *first = animation_block(5, [](int f, int a) -> Sequence {
        const int b = kWalkerBase[f];
        switch (a) {
          case 0:
            return {b, b + 1, b, b + 2};  // walk
          case 1:
            return {b, E, E, E};  // stand
          case 2:
            return {12, 13, E, E};  // attack
          case 3:
            return {14, b, 14, E};  // hurt
          default:
            return {E, E, E, E};  // an empty animation
        }
      });
      if (type == 0) {
        *second = animation_block(2, [](int f, int a) -> Sequence {
          const int b = kWalkerBase[f];
          return a == 0 ? Sequence{12, b, 13, b} : Sequence{b + 1, b + 2, E, E};
        });
      } else {
        second->clear();
      }
      return;
    case 1:
      *first = animation_block(4, [kind](int f, int a) -> Sequence {
        const int b = kCritterBase[f];
        switch (a) {
          case 0:
            return {b, b + 1, b, b + 1};  // hop
          case 1:
            return {b, E, E, E};
          case 2:
            return {8, b, E, E};  // bite
          default:
            // The planted fault: a step that names an image past the last frame.
            return {b, kind == DemoRomKind::kClean ? b + 1 : kImagePastLastFrame, E, E};
        }
      });
      // Eight bytes: two per facing, shorter than one sequence of the table.
      *second = {0, E, 2, E, 4, E, 6, E};
      return;
    case 2:
      *first = animation_block(2, [](int f, int a) -> Sequence {
        if (a == 0) return {0, 1, 2, 1};
        return {f == 3 ? 4 : 3, E, E, E};
      });
      *second = animation_block(1, [](int, int) -> Sequence { return {2, 1, 0, 1}; });
      return;
    case 3:
      *first = animation_block(2, [](int f, int a) -> Sequence {
        const bool right = f == 3;
        if (a == 0) return right ? Sequence{4, E, E, E} : Sequence{0, 1, E, E};
        return right ? Sequence{5, 4, 5, 4} : Sequence{2, 0, 3, 0};
      });
      *second = *first;
      return;
    case 4:
      *first = animation_block(4, [](int, int a) -> Sequence {
        if (a == 3) return {12, 13, E, E};
        return {4 * a, 4 * a + 1, 4 * a + 2, 4 * a + 3};
      });
      second->clear();
      return;
    default:
      first->clear();
      second->clear();
  }
}

constexpr int kAnimationTypeCount = 6;
constexpr int kAnimationDataStart = 0x2A00;

// ---- palettes ----

uint16_t bgr(int r, int g, int b) {
  auto level = [](int v) { return std::clamp(v, 0, 31); };
  return static_cast<uint16_t>(level(r) | (level(g) << 5) | (level(b) << 10));
}

// A colour of the given hue (degrees), saturation and value (0..1) as a 15-bit colour.
uint16_t hsv(double hue, double saturation, double value) {
  const double c = value * saturation;
  const double h = std::fmod(hue, 360.0) / 60.0;
  const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  if (h < 1) {
    r = c;
    g = x;
  } else if (h < 2) {
    r = x;
    g = c;
  } else if (h < 3) {
    g = c;
    b = x;
  } else if (h < 4) {
    g = x;
    b = c;
  } else if (h < 5) {
    r = x;
    b = c;
  } else {
    r = c;
    b = x;
  }
  const double m = value - c;
  auto level = [](double v) { return static_cast<int>(std::lround(v * 31)); };
  return bgr(level(r + m), level(g + m), level(b + m));
}

void ramp(uint16_t* colours, double hue, double saturation) {
  colours[0] = hsv(hue, saturation, 0.45);
  colours[1] = hsv(hue, saturation * 0.9, 0.72);
  colours[2] = hsv(hue, saturation * 0.6, 0.97);
}

// Colours 1..12 of palette type t.
void palette_colours(int t, uint16_t* colours12) {
  static const double kCharacterHues[kPlayableCount][2] = {
      {215, 50}, {0, 280}, {120, 25}, {45, 200}, {280, 60}, {180, 0}, {30, 240}};
  static const double kSkinHues[4][2] = {{25, 0.45}, {20, 0.6}, {28, 0.7}, {95, 0.45}};
  const double main_hue = t < kPlayableCount ? kCharacterHues[t][0] : (t * 47) % 360;
  const double second_hue =
      t < kPlayableCount ? kCharacterHues[t][1] : (t * 47 + 120 + (t * 13) % 120) % 360;
  colours12[0] = bgr(3, 2, 5);
  const int skin = t < kPlayableCount ? t % 3 : t % 4;
  colours12[1] = hsv(kSkinHues[skin][0], kSkinHues[skin][1], 0.6);
  colours12[2] = hsv(kSkinHues[skin][0], kSkinHues[skin][1] * 0.8, 0.85);
  colours12[3] = hsv(kSkinHues[skin][0], kSkinHues[skin][1] * 0.5, 1.0);
  ramp(colours12 + 4, main_hue, 0.75);
  ramp(colours12 + 7, second_hue, 0.55);
  colours12[10] = bgr(30, 30, 29);
  colours12[11] = bgr(5, 3, 4);
}

void weapon_colours(int w, uint16_t* colours3) {
  if (w == 0) {
    colours3[0] = bgr(12, 12, 15);
    colours3[1] = bgr(21, 21, 24);
    colours3[2] = bgr(30, 30, 31);
    return;
  }
  ramp(colours3, (w * 37) % 360, 0.3 + 0.15 * (w % 4));
}

// ---- the ROM image ----

class Image {
 public:
  explicit Image(std::vector<uint8_t>* bytes) : bytes_(bytes) {}
  size_t at(int bank, int offset) const {
    return static_cast<size_t>(((bank - 0xC0) & 0x3F) << 16) + static_cast<size_t>(offset & 0xFFFF);
  }
  void put(int bank, int offset, const uint8_t* data, size_t count) {
    std::memcpy(bytes_->data() + at(bank, offset), data, count);
  }
  void put(int bank, int offset, const std::vector<uint8_t>& data) {
    if (!data.empty()) put(bank, offset, data.data(), data.size());
  }
  void byte(int bank, int offset, int value) {
    (*bytes_)[at(bank, offset)] = static_cast<uint8_t>(value);
  }
  void word(int bank, int offset, int value) {
    byte(bank, offset, value);
    byte(bank, offset + 1, value >> 8);
  }
  void long_pointer(int bank, int offset, int32_t address) {
    word(bank, offset, address & 0xFFFF);
    byte(bank, offset + 2, address >> 16);
  }

 private:
  std::vector<uint8_t>* bytes_;
};

int32_t address(int bank, int offset) { return (bank << 16) | offset; }

// ---- graphics placement ----

struct Region {
  int bank, first, end;
  int cursor;
};

// The stretches of the banks that repacking may fill: the viewer's own table.
std::vector<Region> demo_regions() {
  std::vector<Region> regions;
  for (int i = 0; i < kBankRegionCount; ++i) {
    const BankRegion& row = kBankRegions[i];
    regions.push_back({row.bank, row.first, row.end, row.first});
  }
  return regions;
}

Region* region_of(std::vector<Region>& regions, int bank) {
  for (Region& region : regions)
    if (region.bank == bank) return &region;
  return nullptr;
}

bool place(Region& region, const std::vector<uint8_t>& block, Image& image, int32_t* where) {
  if (region.cursor + static_cast<int>(block.size()) > region.end) return false;
  image.put(region.bank, region.cursor, block);
  *where = address(region.bank, region.cursor);
  region.cursor += static_cast<int>(block.size());
  return true;
}

bool place_graphics(Image& image, DemoRomLayout* layout, DemoRomKind kind) {
  // Plain graphics, one bank each, outside every region.
  for (int g = 0; g < kPlayableCount; ++g) {
    const Picture picture = graphics_picture(g);
    std::vector<uint8_t> plain(static_cast<size_t>(kPlainGraphicsSize[g]), 0);
    std::memcpy(plain.data(), picture.tiles.data(), std::min(plain.size(), picture.tiles.size()));
    image.put(0xC8 + g, 0, plain);
    layout->graphics_address[g] = address(0xC8 + g, 0);
  }
  // Packed pictures, each the encoder's own output.
  std::vector<std::vector<uint8_t>> packed(kGraphicsCount);
  std::vector<uint8_t> buffer(kPackedBufferSize);
  for (int g = kFirstPackedGraphics; g <= DemoRomFacts::kLongGiantGraphics; ++g) {
    const Picture picture = graphics_picture(g);
    const int size = pack_block_best(picture.tiles.data(), static_cast<int>(picture.tiles.size()),
                                     buffer.data(), kPackedBufferSize);
    if (size <= 0) return false;
    packed[static_cast<size_t>(g)].assign(buffer.begin(), buffer.begin() + size);
    layout->graphics_packed_size[g] = size;
  }
  std::vector<Region> regions = demo_regions();
  std::vector<bool> placed(kGraphicsCount, false);
  auto put_in = [&](int bank, int g) {
    if (placed[static_cast<size_t>(g)]) return true;
    if (!place(*region_of(regions, bank), packed[static_cast<size_t>(g)], image,
               &layout->graphics_address[g])) {
      return false;
    }
    placed[static_cast<size_t>(g)] = true;
    return true;
  };
  // The roomy region: the long giant and one more giant.
  if (!put_in(DemoRomFacts::kRoomyBank, DemoRomFacts::kLongGiantGraphics)) return false;
  if (!put_in(DemoRomFacts::kRoomyBank, kGiantGraphics[0])) return false;
  // The undecodable block's region: one flyer, then the broken block (none when clean).
  if (!put_in(DemoRomFacts::kUndecodableBank, kFlyerGraphics[0])) return false;
  if (kind == DemoRomKind::kWithPlantedFault) {
    std::vector<uint8_t> broken(kUndecodableBlockSize, 0xA5);
    broken[0] = 0xFF;  // header word FFFF: the first control position lies past any block
    broken[1] = 0xFF;
    int32_t where = 0;
    if (!place(*region_of(regions, DemoRomFacts::kUndecodableBank), broken, image, &where))
      return false;
    layout->graphics_address[DemoRomFacts::kUndecodableGraphics] = where;
    layout->undecodable_address = where;
  }
  // The nearly full region: critters while they fit, then whatever smaller block still fits.
  Region& tight = *region_of(regions, DemoRomFacts::kNearlyFullBank);
  for (int g : kCritterGraphics) put_in(tight.bank, g);
  std::vector<int> by_size;
  for (int g = kFirstPackedGraphics; g <= DemoRomFacts::kLongGiantGraphics; ++g)
    by_size.push_back(g);
  std::stable_sort(by_size.begin(), by_size.end(), [&](int a, int b) {
    return packed[static_cast<size_t>(a)].size() < packed[static_cast<size_t>(b)].size();
  });
  for (int g : by_size) put_in(tight.bank, g);
  // Everything else spread over the other regions.
  const int spread[] = {0xD5, 0xD7, 0xD8, 0xD9, 0xDA, 0xDF, 0xE0, 0xE1, 0xD4};
  int next = 0;
  for (int g = kFirstPackedGraphics; g <= DemoRomFacts::kLongGiantGraphics; ++g) {
    if (placed[static_cast<size_t>(g)] || g == DemoRomFacts::kSharedGraphics[1]) continue;
    bool done = false;
    for (int tries = 0; tries < 9 && !done; ++tries) {
      done = put_in(spread[next % 9], g);
      ++next;
    }
    if (!done) return false;
  }
  // One block, two graphics numbers.
  layout->graphics_address[DemoRomFacts::kSharedGraphics[1]] =
      layout->graphics_address[DemoRomFacts::kSharedGraphics[0]];
  layout->graphics_packed_size[DemoRomFacts::kSharedGraphics[1]] =
      layout->graphics_packed_size[DemoRomFacts::kSharedGraphics[0]];
  if (kind == DemoRomKind::kClean) {
    // The planted fault's graphics number names the picture its entry's position type draws.
    const int shared = design_graphics(DemoRomFacts::kEntryUndecodable);
    layout->graphics_address[DemoRomFacts::kUndecodableGraphics] =
        layout->graphics_address[shared];
    layout->graphics_packed_size[DemoRomFacts::kUndecodableGraphics] =
        layout->graphics_packed_size[shared];
  }
  layout->nearly_full_free = tight.end - tight.cursor;
  const Region& roomy = *region_of(regions, DemoRomFacts::kRoomyBank);
  layout->roomy_free = roomy.end - roomy.cursor;
  return true;
}

// ---- position data placement ----

struct PositionBank {
  int bank;
  int first;   // lowest offset the bank's blocks may use
  int end;     // where its last block ends
  int budget;  // bytes of blocks to take
};

bool place_position_data(Image& image, const uint8_t* size_type_of, DemoRomLayout* layout,
                         int32_t* pointers) {
  // Two position types of one design share one block.
  const int shared_first = 0x1F, shared_second = 0x27;  // 8 apart: the same design
  layout->shared_position_types[0] = shared_first;
  layout->shared_position_types[1] = shared_second;

  // Address order differs from table order, so every end must be searched for.
  std::vector<int> order;
  for (int p = 0; p < kPositionTypeCount; ++p)
    if (p != shared_second) order.push_back(p);
  std::stable_sort(order.begin(), order.end(), [](int a, int b) {
    return (a * 97) % kPositionTypeCount < (b * 97) % kPositionTypeCount;
  });

  std::vector<int> frames(kPositionTypeCount);
  auto record_of = [&](int p) { return kRecordSize[size_type_of[p] & 3]; };
  for (int p = 0; p < kPositionTypeCount; ++p) {
    frames[static_cast<size_t>(p)] = static_cast<int>(design_frames(position_design(p)).size());
  }

  // E3 first (it must be filled exactly to E3:F8C0), then E2 (ending where E3 begins), then the
  // banks with limits.
  PositionBank banks[] = {{0xE3, 0x0000, 0xF8C0, 0xF8C0}, {0xE2, 0x0000, 0x10000, 48000},
                          {0xE1, 0xE000, 0xF518, 0x1518}, {0xDC, 0x0000, 0xDF98, 30000},
                          {0xDD, 0x0000, 0xFD48, 30000},  {0xDE, 0x0000, 0xBF90, 0xBF90 - 8}};
  size_t next = 0;
  for (PositionBank& bank : banks) {
    std::vector<int> members;
    int total = 0;
    while (next < order.size()) {
      const int p = order[next];
      const int size = frames[static_cast<size_t>(p)] * record_of(p);
      if (total + size > bank.budget) break;
      members.push_back(p);
      total += size;
      ++next;
    }
    if (members.empty()) return false;
    if (bank.bank == 0xE3) {
      // Fill E3 exactly: extra frames (repeats of the first ones) on the blocks already there.
      int missing = bank.budget - total;
      for (int pass = 0; pass < 8 && missing > 0; ++pass) {
        for (int p : members) {
          const int record = record_of(p);
          if (missing >= record && frames[static_cast<size_t>(p)] < 200) {
            frames[static_cast<size_t>(p)] += 1;
            missing -= record;
          }
        }
      }
      if (missing != 0) return false;
      total = bank.budget;
    }
    const int remainder = bank.bank == 0xDD ? 8 : 0;  // bytes past the last whole record
    int offset = bank.end - total - remainder;
    if (offset < bank.first) return false;
    for (size_t i = 0; i < members.size(); ++i) {
      const int p = members[i];
      const std::vector<uint8_t> block =
          position_block(position_design(p), frames[static_cast<size_t>(p)]);
      image.put(bank.bank, offset, block);
      pointers[p] = address(bank.bank, offset);
      offset += static_cast<int>(block.size());
    }
    if (remainder > 0) {
      const uint8_t tail[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
      image.put(bank.bank, offset, tail, sizeof tail);
      layout->remainder_position_type = members.back();
    }
    const int last = members.back();
    switch (bank.bank) {
      case 0xE3:
        layout->highest_position_type = last;
        break;
      case 0xE2:
        layout->last_e2_position_type = last;
        break;
      case 0xDC:
        layout->last_position_type_in[0] = last;
        break;
      case 0xDD:
        layout->last_position_type_in[1] = last;
        break;
      case 0xDE:
        layout->last_position_type_in[2] = last;
        break;
      case 0xE1:
        layout->last_position_type_in[3] = last;
        break;
      default:
        break;
    }
  }
  if (next != order.size()) return false;
  pointers[shared_second] = pointers[shared_first];
  return true;
}

void write_tables(Image& image, DemoRomLayout* layout, uint8_t* size_type_of, DemoRomKind kind) {
  // Header records.
  for (int e = 0; e < kEntryCount; ++e) {
    const int p = entry_position_type(e);
    const uint8_t header[5] = {
        static_cast<uint8_t>(entry_graphics(e)), static_cast<uint8_t>(p),
        static_cast<uint8_t>(entry_palette_type(e)), static_cast<uint8_t>(entry_animation_type(e)),
        static_cast<uint8_t>(figure_shape(design_kind(position_design(p))).size_type)};
    size_type_of[p] = header[4];
    if (e < vcv::kCharacterCount) {
      image.put(kTableBank, kCharacterTable + 5 * e, header, 5);
    } else {
      uint8_t record[10] = {};
      std::memcpy(record, header, 5);
      image.put(kTableBank, kEnemyTable + 10 * (e - 0x100), record, 10);
    }
  }
  // Palettes, 12 colours each, and the weapon palettes.
  for (int t = 0; t < 256; ++t) {
    uint16_t colours[12];
    palette_colours(t, colours);
    for (int i = 0; i < 12; ++i) image.word(kTableBank, kPaletteTable + 24 * t + 2 * i, colours[i]);
  }
  for (int w = 0; w < kWeaponPaletteCount; ++w) {
    uint16_t colours[3];
    weapon_colours(w, colours);
    for (int i = 0; i < 3; ++i)
      image.word(kWeaponPaletteBank, kWeaponPaletteTable + 6 * w + 2 * i, colours[i]);
  }
  // Graphics pointers: unused numbers name the empty block at C0:0000.
  for (int g = 0; g < kGraphicsPointerCount; ++g) {
    const int32_t where = g < kGraphicsCount ? layout->graphics_address[g] : address(0xC0, 0);
    image.long_pointer(kTableBank, kGraphicsPointerTable + 3 * g, where);
  }
  // Animation data: all Animation 1 blocks, then all Animation 2 blocks, from E4:2A00.
  std::vector<uint8_t> blocks[2][kAnimationTypeCount];
  for (int t = 0; t < kAnimationTypeCount; ++t) {
    animation_blocks(t, kind, &blocks[0][t], &blocks[1][t]);
  }
  int offset = kAnimationDataStart;
  for (int table = 0; table < 2; ++table) {
    for (int t = 0; t < kAnimationTypeCount; ++t) {
      image.word(kTableBank, kAnimationPointerTable[table] + 2 * t, offset);
      image.put(kTableBank, offset, blocks[table][t]);
      offset += static_cast<int>(blocks[table][t].size());
    }
    // Every later type ends where the last one does: empty tables.
    for (int t = kAnimationTypeCount; t <= 255; ++t) {
      image.word(kTableBank, kAnimationPointerTable[table] + 2 * t, offset);
    }
  }
}

void write_cartridge_header(Image& image) {
  const char title[] = "VANTOR DEMO SPRITES  ";  // 21 bytes
  image.put(0xC0, 0xFFC0, reinterpret_cast<const uint8_t*>(title), 21);
  image.byte(0xC0, 0xFFD5, 0x21);  // HiROM
  image.byte(0xC0, 0xFFD7, 0x0C);  // 4 MiB
}

}  // namespace

bool build_demo_rom(std::vector<uint8_t>* rom, DemoRomLayout* layout, DemoRomKind kind) {
  DemoRomLayout local;
  if (layout == nullptr) layout = &local;
  *layout = DemoRomLayout();
  rom->assign(kDemoRomSize, kRomFill);
  Image image(rom);
  const uint8_t empty_block[16] = {};
  image.put(0xC0, 0x0000, empty_block, sizeof empty_block);
  write_cartridge_header(image);

  if (!place_graphics(image, layout, kind)) return false;
  uint8_t size_type_of[256] = {};
  write_tables(image, layout, size_type_of, kind);
  int32_t pointers[kPositionTypeCount] = {};
  if (!place_position_data(image, size_type_of, layout, pointers)) return false;
  for (int p = 0; p < kPositionTypeCount; ++p) {
    image.long_pointer(kTableBank, kPositionPointerTable + 3 * p, pointers[p]);
  }
  // Last: the header checksum sums every byte, so that writes find it matching and keep it so.
  RomImage whole(std::move(*rom), kMappingHiRom, 0);
  store_header_checksum(&whole);
  *rom = whole.bytes();
  return true;
}

bool write_demo_rom(const std::string& path, std::string* error, DemoRomKind kind) {
  std::vector<uint8_t> rom;
  if (!build_demo_rom(&rom, nullptr, kind)) {
    *error = "the demo ROM design does not fit its banks";
    return false;
  }
  std::string why;
  if (!write_file_atomically(path, rom, &why)) {
    *error = "cannot write " + path + ": " + why;
    return false;
  }
  return true;
}

}  // namespace vcv::demo
