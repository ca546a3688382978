// The demo ROM with its tables and blocks changed by the fuzzer: building the directory, loading
// entries, settling the view, rendering a frame and a block, building the texts and painting the
// panel must stay inside every buffer whatever the tables say.
//
// Input: one byte choosing the entry, one the view's numbers, then patches of (place, offset
// high, offset low, length, bytes...), each put into one of the ROM's stretches the sprite code
// reads: bank E4 (the tables), the weapon palettes, a bank of packed graphics, position data.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_target.h"

#include "demo/demo_rom.h"
#include "rom/rom_image.h"
#include "sprite/directory.h"
#include "sprite/frames.h"
#include "view/panel_paint.h"
#include "view/refresh.h"

namespace {

struct Stretch {
  int bank;
  int offset;
  int size;
};

// Where patches land: the tables, the weapon palettes, graphics, position data.
constexpr Stretch kStretches[] = {
    {0xE4, 0x0000, 0x10000}, {0xD1, 0x4B00, 0x0100}, {0xD2, 0xEE80, 0x1180}, {0xD6, 0x0000, 0x4000},
    {0xDC, 0x0000, 0x10000}, {0xE3, 0x0000, 0x10000},
};

vcv::RomImage& demo_image() {
  static vcv::RomImage image = [] {
    std::vector<uint8_t> bytes;
    vcv::demo::build_demo_rom(&bytes, nullptr);
    return vcv::RomImage(bytes, vcv::kMappingHiRom, 0);
  }();
  return image;
}

struct Patch {
  long long position;
  std::vector<uint8_t> old_bytes;
};

// Applies the input's patches; returns what they replaced, for undoing them.
std::vector<Patch> apply_patches(vcv::RomImage& image, const uint8_t* data, size_t size) {
  std::vector<Patch> patches;
  size_t at = 0;
  while (at + 4 <= size) {
    const Stretch& stretch = kStretches[data[at] % (sizeof kStretches / sizeof kStretches[0])];
    const int offset = ((data[at + 1] << 8) | data[at + 2]) % stretch.size;
    const size_t length = data[at + 3];
    at += 4;
    const size_t count = length < size - at ? length : size - at;
    const long long position = image.file_offset(stretch.bank, stretch.offset + offset);
    Patch patch{position, std::vector<uint8_t>(count)};
    const int stored = image.read_at(position, static_cast<int>(count), patch.old_bytes.data());
    patch.old_bytes.resize(static_cast<size_t>(stored));
    image.write_at(position, stored, data + at);
    patches.push_back(std::move(patch));
    at += count;
  }
  return patches;
}

// Takes the patches back when it goes, also when a failed check leaves the target early (the
// replay test goes on with the next input on the same image).
class PatchedImage {
 public:
  PatchedImage(vcv::RomImage& image, const uint8_t* data, size_t size)
      : image_(image), patches_(apply_patches(image, data, size)) {}
  ~PatchedImage() {
    for (auto p = patches_.rbegin(); p != patches_.rend(); ++p) {
      image_.write_at(p->position, static_cast<int>(p->old_bytes.size()), p->old_bytes.data());
    }
  }
  PatchedImage(const PatchedImage&) = delete;
  PatchedImage& operator=(const PatchedImage&) = delete;

 private:
  vcv::RomImage& image_;
  std::vector<Patch> patches_;
};

}  // namespace

VCV_FUZZ_TARGET(fuzz_entry_loading) {
  if (size < 2) return 0;
  vcv::RomImage& image = demo_image();
  const PatchedImage patched(image, data + 2, size - 2);

  vcv::SpriteDirectory directory;
  vcv::build_sprite_directory(image, directory);
  static vcv::SpriteWorkingSet set;
  set.loaded_entry = -1;
  vcv::ViewState view;
  vcv::DisplayState display;
  view.current_entry = (data[0] * 2) % vcv::kEntryCount;
  view.sequence_mode = data[1] & 1;
  view.image_no = data[1] >> 1;
  view.animation_no = data[1] >> 3;
  view.face_direction = data[1] & 3;
  view.animation_table = (data[1] >> 2) & 1;
  view.block_no = data[1] % vcv::kMaxBlocksPerFrame;
  view.weapon_palette = data[0] % vcv::kWeaponPaletteCount;
  vcv::PanelContext panel{&image, directory, set, view, display};
  vcv::load_entry(image, directory, set, view.current_entry, view.weapon_palette);
  vcv::PanelTexts texts;
  VCV_FUZZ_CHECK(vcv::refresh_view(panel, &texts));
  VCV_FUZZ_CHECK(!texts.info_text.empty() && !texts.tile_info_text.empty());
  VCV_FUZZ_CHECK(view.image_no >= 0 && view.animation_no >= 0 && view.sequence_no >= 0);

  uint8_t block[16 * 16];
  vcv::render_block(set, view.image_no, view.block_no, block);
  // Painting sets every pixel of the panel one by one: slow under the sanitizers, so it runs for
  // one input in eight.
  if ((data[0] & 7) != 0) return 0;
  static vcv::PanelPainter painter;
  static vcv::Surface surface;
  if (surface.pixels.empty()) surface.resize(700, 560, 0);
  const vcv::ViewAreas areas = vcv::compute_view_areas(
      vcv::Rect{225, 21, 519, 315}, vcv::Rect{536, 6, 584, 20}, vcv::Rect{10, 204, 208, 222});
  vcv::paint_panel(panel, painter, areas, true, surface);
  return 0;
}
