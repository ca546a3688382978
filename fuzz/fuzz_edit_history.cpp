// Arbitrary bytes as a session of edits on the demo ROM: each byte chooses an action (entry
// switch, weapon palette step, recolour, tile placement, Ed text, Paste Sprite, Paste All Img,
// image step) and the bytes after it its values. Then every step is taken back: each buffer an
// edit touched must hold exactly the disk's bytes again; every step is applied again: each must
// hold exactly what the edits left; and Write All Changes, read back in a fresh document, must
// give those bytes (the part a write puts into the ROM).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "document/document.h"
#include "fuzz_target.h"
#include "image/dib_build.h"
#include "platform/file_io.h"
#include "platform/ui.h"
#include "sprite/frames.h"

namespace {

constexpr int kEntries[] = {0x000, 0x007, 0x008, 0x00A, 0x00C, 0x0E6, 0x1F0, 0x120};
constexpr int kMaxActions = 24;

// Reads the input byte by byte; zeros once it runs out.
class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }
  bool done() const { return at_ >= size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

// Every prompt answered yes; Yes / No / Cancel answered No; the colour chooser and the clipboard
// from what the session sets.
class SessionUi : public vcv::Ui {
 public:
  bool confirm(vcv::Prompt, const std::string&) override { return true; }
  vcv::Answer ask(vcv::Prompt, const std::string&) override { return vcv::Answer::kNo; }
  void message(const std::string&, const std::string&) override {}
  bool choose_colour(uint32_t, const uint32_t*, uint32_t* chosen) override {
    *chosen = colour;
    return true;
  }
  bool ask_write_position(const std::string&, const std::string&, std::string*,
                          std::string*) override {
    return false;
  }
  bool put_clipboard(const std::vector<vcv::ClipboardBlock>&) override { return false; }
  bool read_clipboard(vcv::ClipboardContents* contents) override {
    contents->pictures = {{vcv::ClipboardFormat::kDib, dib}};
    contents->format_names = {"CF_DIB"};
    return true;
  }

  uint32_t colour = 0;
  std::vector<uint8_t> dib;
};

const std::vector<uint8_t>& demo_bytes() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> rom;
    vcv::demo::DemoRomLayout layout;
    vcv::demo::build_demo_rom(&rom, &layout);
    return rom;
  }();
  return bytes;
}

// The ROM file a session works on, written again only after a session wrote it.
const std::string& session_rom(bool fresh) {
  static const std::string path =
      (std::filesystem::temp_directory_path() / "vcv_fuzz_edit_history.sfc").string();
  static bool written = false;
  if (fresh || !written) {
    std::string error;
    VCV_FUZZ_CHECK(vcv::write_file_atomically(path, demo_bytes(), &error));
    written = true;
  }
  return path;
}

const vcv::ViewAreas kAreas = vcv::compute_view_areas(
    vcv::Rect{100, 20, 400, 320}, vcv::Rect{500, 4, 540, 16}, vcv::Rect{10, 400, 200, 412});

void place_tile(vcv::Document& document, SessionUi& ui, Bytes& in) {
  const vcv::SpriteWorkingSet& set = document.working_set();
  const int image = document.view().image_no;
  if (image < 0 || image >= set.frame_store_count) return;
  const vcv::Frame& frame = set.frames[image];
  if (frame.block_count <= 0) return;
  const int block = in.next() % frame.block_count;
  const int quadrant = in.next() & 3;
  document.display().selected_tile = in.next() | ((in.next() & 7) << 8);
  document.view().flip_bits = in.next() & 0xC0;
  const int x = vcv::byte_to_signed(frame.x[block]) * 3 / 2 + 144 + (quadrant & 1) * 12 + 1;
  const int y = vcv::byte_to_signed(frame.y[block]) * 3 / 2 + 144 + (quadrant >> 1) * 12 + 1;
  document.view().block_no = block;
  document.left_click(ui, kAreas, kAreas.frame.left + x, kAreas.frame.top + y);
}

void type_tile_info(vcv::Document& document, Bytes& in) {
  char text[160];
  std::snprintf(text, sizeof text, "X=%d Y=%d\r\nL Right TileNo=%X xflip=%d yflip=%d",
                static_cast<int8_t>(in.next()), static_cast<int8_t>(in.next()),
                in.next() | ((in.next() & 7) << 8), in.next() & 1, in.next() & 1);
  document.view().block_no = in.next() % 24;
  document.apply_tile_info(text);
}

void paste_sprite(vcv::Document& document, SessionUi& ui, Bytes& in) {
  uint8_t pixels[16 * 16];
  const uint8_t seed = in.next();
  for (int i = 0; i < 16 * 16; ++i) pixels[i] = static_cast<uint8_t>((i * seed + i / 16) & 15);
  ui.dib = vcv::build_dib(pixels, 16, 16, 16, document.display().display_palette);
  document.paste_sprite(ui);
}

void paste_sheet(vcv::Document& document, Bytes& in) {
  const int rows = 8 * (1 + in.next() % 8);
  const uint8_t seed = in.next();
  std::vector<uint8_t> pixels(static_cast<size_t>(vcv::kSheetWidth) * rows);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i / (seed | 1)) & 15);
  document.paste_sheet(pixels.data(), vcv::kSheetWidth, rows);
}

void run_action(vcv::Document& document, SessionUi& ui, Bytes& in) {
  switch (in.next() % 9) {
    case 0:
      document.select_entry(kEntries[in.next() % (sizeof kEntries / sizeof kEntries[0])]);
      break;
    case 1:
      document.arrows(vcv::PanelArrows::kWeaponPalette, in.next() & 1);
      break;
    case 2: {
      const int index = in.next() & 15;
      ui.colour = static_cast<uint32_t>(in.next() | (in.next() << 8) | (in.next() << 16));
      document.left_click(ui, kAreas, kAreas.palette.left + 12 * index + 1, kAreas.palette.top);
      break;
    }
    case 3:
    case 4:
      place_tile(document, ui, in);
      break;
    case 5:
      type_tile_info(document, in);
      break;
    case 6:
      paste_sprite(document, ui, in);
      break;
    case 7:
      paste_sheet(document, in);
      break;
    case 8:
      document.arrows(vcv::PanelArrows::kImage, in.next() & 1);
      break;
  }
}

// The bytes of every buffer in `ids` as the document holds them now.
std::map<vcv::BufferId, std::vector<uint8_t>> buffers_now(
    const vcv::Document& document, const std::vector<vcv::BufferId>& ids) {
  std::map<vcv::BufferId, std::vector<uint8_t>> out;
  for (const vcv::BufferId& id : ids) VCV_FUZZ_CHECK(document.buffer_bytes(id, &out[id]));
  return out;
}

}  // namespace

VCV_FUZZ_TARGET(fuzz_edit_history) {
  if (size == 0) return 0;
  static bool last_wrote = false;
  vcv::Document document;
  VCV_FUZZ_CHECK(document.open(session_rom(last_wrote)).ok());
  last_wrote = false;
  document.panel_created();
  document.panel_command(vcv::PanelCommand::kImageRadio);
  SessionUi ui;
  Bytes in(data, size);

  // The buffers a session may touch: all of those the entries it visits show.
  std::vector<vcv::BufferId> ids;
  for (int i = 0; i < kMaxActions && !in.done(); ++i) {
    run_action(document, ui, in);
    for (const vcv::BufferId& id :
         vcv::shown_buffers(document.working_set(), document.view().weapon_palette)) {
      ids.push_back(id);
    }
  }
  for (const vcv::BufferId& id : vcv::shown_buffers(document.working_set(), 0)) ids.push_back(id);
  const auto edited = buffers_now(document, ids);

  vcv::Document disk;
  VCV_FUZZ_CHECK(disk.open(document.rom_path()).ok());
  const auto start = buffers_now(disk, ids);

  while (document.undo()) {
  }
  VCV_FUZZ_CHECK(buffers_now(document, ids) == start);
  VCV_FUZZ_CHECK(!document.has_unwritten_edits());
  while (document.redo()) {
  }
  VCV_FUZZ_CHECK(buffers_now(document, ids) == edited);

  // Writing (a 4 MiB file, read back, perhaps a repacked region) costs most of a run under the
  // sanitizers: one session in four writes, chosen by its last byte.
  if ((data[size - 1] & 3) != 0) return 0;
  const vcv::CommandResult written = document.write_all_changes(ui);
  if (!written.wrote()) return 0;  // a grown block no region takes: nothing was written
  last_wrote = true;
  VCV_FUZZ_CHECK(!document.has_unwritten_edits());
  vcv::Document reread;
  VCV_FUZZ_CHECK(reread.open(document.rom_path()).ok());
  for (const auto& [id, bytes] : edited) {
    vcv::BufferBytes now;
    if (!vcv::read_buffer(reread.image(), reread.directory(), id, &now)) continue;
    const size_t written_size = static_cast<size_t>(now.written_size);
    VCV_FUZZ_CHECK(now.bytes.size() >= written_size && bytes.size() >= written_size);
    VCV_FUZZ_CHECK(std::equal(bytes.begin(), bytes.begin() + static_cast<long>(written_size),
                              now.bytes.begin()));
  }
  return 0;
}
