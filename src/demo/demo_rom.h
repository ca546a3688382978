// The generated demo ROM: a 4 MiB headerless HiROM image (banks C0..FF) holding every sprite
// table the viewer reads, filled with original, procedurally drawn figures. The same bytes come
// out on every run. Tests and the command-line tool use it in place of a real cartridge image.
//
// Layout:
//   C0:0000       16 zero bytes: an empty packed block; unused graphics numbers point here
//   C8..CE:0000   plain graphics 0..6 (the seven playable characters), one bank each
//   D1:4B00       32 weapon palettes (colours 13..15)
//   D2..E1        packed graphics 7..39, back to back inside the repackable bank regions
//   DC, DD, DE, E1:E000.., E2, E3   position data; the last block of DC, DD, DE and E1 ends at
//                 the bank's limit, E2's last block ends where E3's first begins (E3:0000), and
//                 the highest block of all ends at E3:F8C0
//   E4            palettes, pointer tables, animation data (from E4:2A00), header records
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcv::demo {

constexpr int kDemoRomSize = 4 * 1024 * 1024;

// Fixed facts of the demo ROM's design, for tests.
struct DemoRomFacts {
  // Entries of each size type (blocks per frame 4, 8, 12, 24).
  static constexpr int kEntrySize0 = 0x008;           // critter, packed
  static constexpr int kEntrySize1Plain = 0x000;      // playable character, plain graphics 0
  static constexpr int kEntrySize1 = 0x007;           // humanoid, packed
  static constexpr int kEntrySize2 = 0x00A;           // flyer, packed
  static constexpr int kEntrySize3 = 0x00C;           // giant, packed: a 24-block frame
  static constexpr int kEntryLongGiant = 0x0E6;       // packed picture of 0xA800 bytes (1344 tiles)
  static constexpr int kEntryUndecodable = 0x1F0;     // its packed block cannot be decoded
  static constexpr int kUndecodableGraphics = 39;     // named by kEntryUndecodable and nothing else
  static constexpr int kSharedGraphics[2] = {8, 38};  // two graphics numbers, one block
  static constexpr int kLongGiantGraphics = 37;
  static constexpr int kPackedGraphicsCount = 33;  // graphics 7..39
  static constexpr int kNearlyFullBank = 0xD2;     // region D2:EE80..FFFF, under 2 KiB left free
  static constexpr int kRoomyBank = 0xD6;          // region D6:0000..FFFF, mostly free
  static constexpr int kUndecodableBank = 0xD3;    // the undecodable block's region
  static constexpr int kWeaponPaletteCount = 32;
  static constexpr int kAnimationTypeNoTable2 = 5;     // Animation 2 of this type is empty (size 0)
  static constexpr int kAnimationTypeShortTable2 = 1;  // Animation 2 is 8 bytes: no sequence
};

// Facts that come out of the placement (they depend on the encoder's packed sizes).
struct DemoRomLayout {
  int nearly_full_free = 0;           // bytes left free in the nearly full region
  int roomy_free = 0;                 // bytes left free in the roomy region
  int32_t undecodable_address = 0;    // 24-bit address of the undecodable block (0 when clean)
  int32_t graphics_address[40] = {};  // 24-bit address of graphics 0..39
  int graphics_packed_size[40] = {};  // packed size of graphics 7..39 (0 for plain or undecodable)
  int highest_position_type = -1;     // the block ending at E3:F8C0
  int last_e2_position_type = -1;     // E2's last block, ending at the first E3 pointer
  int last_position_type_in[4] = {-1, -1, -1, -1};  // the block ending at the DC, DD, DE, E1 limit
  int remainder_position_type = -1;         // DD's last block: 8 bytes beyond its whole records
  int shared_position_types[2] = {-1, -1};  // two position types with one pointer
};

// The demo ROM carries two planted faults on purpose, so that the refusals and reports of every
// command can be tried on it: the packed block of graphics 27 (kUndecodableGraphics, named by
// entry 1F0) does not decode, and animation 03 of animation type 01 (Animation 1) names image 30,
// past the frames of every critter. A clean demo ROM has neither: graphics 27 names the picture
// entry 1F0's position type draws, the step names a frame of its own, and verify finds nothing.
enum class DemoRomKind { kWithPlantedFault, kClean };

// Builds the image into `rom` (resized to kDemoRomSize). Returns false only if the design does
// not fit (a fault of this generator, never of the input).
bool build_demo_rom(std::vector<uint8_t>* rom, DemoRomLayout* layout,
                    DemoRomKind kind = DemoRomKind::kWithPlantedFault);

// Builds the image and writes it to `path`; false with `error` set on failure.
bool write_demo_rom(const std::string& path, std::string* error,
                    DemoRomKind kind = DemoRomKind::kWithPlantedFault);

}  // namespace vcv::demo
