// The clipboard commands through the real Windows clipboard: what the menu commands put there
// comes back unchanged, for every flip of a block's tiles, and as the whole tile sheet; and
// through Wine's tie to the X clipboard, driven with xclip, a PNG from an X program pastes and a
// copy reaches X programs as an indexed PNG.
#include <cstring>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "edit/command_messages.h"
#include "gui_fixture.h"
#include "image/picture_read.h"
#include "image/png_build.h"
#include "res/resource.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"
#include "x_clipboard.h"

namespace vcv {
namespace {

using demo::DemoRomFacts;

std::vector<uint8_t> tile_data(const Document& document) {
  const SpriteWorkingSet& set = document.working_set();
  return std::vector<uint8_t>(set.tile_data, set.tile_data + set.decoded_size);
}

// The block now on the clipboard in `format`; empty when there is none.
std::vector<uint8_t> clipboard_dib(HWND owner, UINT format = CF_DIB) {
  std::vector<uint8_t> bytes;
  if (!OpenClipboard(owner)) return bytes;
  HANDLE data = GetClipboardData(format);
  if (data != nullptr) {
    const uint8_t* block = static_cast<const uint8_t*>(GlobalLock(data));
    if (block != nullptr) bytes.assign(block, block + GlobalSize(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return bytes;
}

TEST_F(PanelWindow, CopySpriteThenPasteSpriteKeepsTheTilesForAllFourFlips) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize1);
  SpriteWorkingSet& set = app.document.working_set();
  const int image = app.document.view().image_no;
  const int block = app.document.view().block_no;
  for (int flips = 0; flips < 4; ++flips) {
    for (int q = 0; q < 4; ++q) {
      uint16_t& entry = set.frames[image].tile[block][q];
      entry = static_cast<uint16_t>((entry & 0x3FFF) | (flips << 14));
    }
    const std::vector<uint8_t> before = tile_data(app.document);
    choose_menu(IDM_COPY_SPRITE);
    const std::vector<uint8_t> dib = clipboard_dib(app.main_window);
    ASSERT_EQ(dib.size(), 40u + 64u + 256u) << "flips " << flips;
    EXPECT_EQ(dib[14], 8);  // 8 bits per pixel
    // Spoil the block's tiles, so that only a paste of what was copied can restore them.
    int spoiled = 0;
    for (int q = 0; q < 4; ++q) {
      const int tile = set.frames[image].tile[block][q] & kTileNumberMask;
      if (tile == 0) continue;
      set.tile_data[tile * 32 + 5] ^= 0x5A;
      ++spoiled;
    }
    ASSERT_GT(spoiled, 0);
    ASSERT_FALSE(tile_data(app.document) == before);
    choose_menu(IDM_PASTE_SPRITE);
    EXPECT_TRUE(tile_data(app.document) == before) << "flips " << flips;
  }
}

TEST_F(PanelWindow, CopyAllImgThenPasteAllImgKeepsTheTiles) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize3);
  const std::vector<uint8_t> before = tile_data(app.document);
  choose_menu(IDM_COPY_ALL_IMG);
  const std::vector<uint8_t> dib = clipboard_dib(app.main_window);
  ASSERT_EQ(dib.size(), 40u + 64u + 128u * 640u);
  // Something that changes the tiles must show up, so the paste below really restores them.
  app.document.working_set().tile_data[40] ^= 0xFF;
  ASSERT_FALSE(tile_data(app.document) == before);
  choose_menu(IDM_PASTE_ALL_IMG);
  EXPECT_TRUE(tile_data(app.document) == before);
}

// A 24-bit bitmap in a colour the palette lacks: the paste asks first; text: refused with what
// the paste found.
TEST_F(PanelWindow, PastesOfPicturesOutsideThePaletteAskFirstAndOfTextAreRefused) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize1);
  const std::vector<uint8_t> before = tile_data(app.document);
  // A 2 x 2 24-bit bitmap on the clipboard.
  const size_t size = 40 + 2 * 8;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  ASSERT_NE(memory, nullptr);
  auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(memory));
  header->biSize = 40;
  header->biWidth = 2;
  header->biHeight = 2;
  header->biPlanes = 1;
  header->biBitCount = 24;
  std::memset(reinterpret_cast<uint8_t*>(header) + 40, 0x77, 16);
  GlobalUnlock(memory);
  ASSERT_TRUE(OpenClipboard(app.main_window));
  EmptyClipboard();
  if (SetClipboardData(CF_DIB, memory) == nullptr) GlobalFree(memory);
  CloseClipboard();
  // Asked whether to take the nearest palette colours, and answered No: nothing pasted, and
  // nothing more said.
  choose_menu(IDM_PASTE_SPRITE);
  choose_menu(IDM_PASTE_ALL_IMG);
  EXPECT_TRUE(tile_data(app.document) == before);
  EXPECT_EQ(ui.confirm_titles,
            std::vector<std::string>(2, prompt_title(Prompt::kNearestColours)));
  EXPECT_TRUE(ui.messages.empty());

  ASSERT_TRUE(OpenClipboard(app.main_window));
  EmptyClipboard();
  CloseClipboard();
  choose_menu(IDM_PASTE_SPRITE);
  const std::string none = "Paste: The clipboard holds no picture this program can read: ";
  EXPECT_EQ(ui.messages.back(), none + "it is empty.");
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
  ASSERT_TRUE(OpenClipboard(app.main_window));
  EmptyClipboard();
  if (SetClipboardData(CF_TEXT, text) == nullptr) GlobalFree(text);
  CloseClipboard();
  choose_menu(IDM_PASTE_SPRITE);
  EXPECT_EQ(ui.messages.back().rfind(none + "CF_TEXT, ", 0), 0u) << ui.messages.back();
  EXPECT_NE(ui.messages.back().find("CF_UNICODETEXT"), std::string::npos) << ui.messages.back();
}

// An X program's PNG in the palette's colours: xclip offers it as image/png, which Wine hands on
// as "PNG"; it pastes into the selected block, transparent pixels as index 0.
TEST_F(PanelWindow, ATrueColourPngFromAnXProgramPastesIntoTheSelectedBlock) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize1);
  SpriteWorkingSet& set = app.document.working_set();
  const int image = app.document.view().image_no, block = app.document.view().block_no;
  for (int q = 0; q < 4; ++q) set.frames[image].tile[block][q] = static_cast<uint16_t>(100 + q);
  for (int i = 0; i < 16; ++i) set.palette[i] = static_cast<uint16_t>(0x0842 * i);  // 16 greys
  std::vector<uint32_t> pixels(256);
  std::vector<uint8_t> expected(256);
  for (int i = 0; i < 256; ++i) {
    expected[i] = static_cast<uint8_t>(i % 16 < 2 ? 0 : (i + i / 16) % 15 + 1);
    const uint32_t c = palette_colour_to_display(set.palette[expected[i]]);
    pixels[i] = expected[i] == 0 ? 0 : 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16);
  }
  ASSERT_TRUE(offer_png_from_x(app.main_window, build_rgb_png(pixels.data(), 16, 16, true)));
  choose_menu(IDM_PASTE_SPRITE);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
  std::vector<uint8_t> now(256);
  render_block(set, image, block, now.data());
  EXPECT_EQ(now, expected);
}

// Copy Img as X programs see it: image/png holds the very bytes of the "PNG" put, the frame's
// indices and the panel's colours.
TEST_F(PanelWindow, CopyImgReachesXProgramsAsAnIndexedPngOfTheFrame) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize3);
  choose_menu(IDM_COPY_IMG);
  ASSERT_FALSE(clipboard_dib(app.main_window).empty());
  const std::vector<uint8_t> put = clipboard_dib(app.main_window, png_format());
  std::vector<uint8_t> got;
  ASSERT_TRUE(read_png_from_x(&got)) << "xclip read no image/png";
  EXPECT_TRUE(got == put && !put.empty());
  Picture png;
  std::string error;
  ASSERT_TRUE(read_png_picture(got.data(), got.size(), &png, &error)) << error;
  ASSERT_TRUE(png.kind == PictureKind::kIndexed && png.width == 192 && png.height == 192);
  EXPECT_TRUE(std::equal(png.indices.begin(), png.indices.end(), app.document.display().canvas));
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(png.colours[i], app.document.display().display_palette[i]) << i;
    EXPECT_EQ(png.colour_alpha[i], i == 0 ? 0 : 255) << i;
  }
}


}  // namespace
}  // namespace vcv
