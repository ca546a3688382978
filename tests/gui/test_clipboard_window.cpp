// The clipboard commands through the real Windows clipboard: what the menu commands put there
// comes back unchanged, for every flip of a block's tiles, and as the whole tile sheet.
#include <cstring>
#include <vector>

#include "demo/demo_rom.h"
#include "gui_fixture.h"
#include "res/resource.h"
#include "sprite/frames.h"

namespace vcv {
namespace {

using demo::DemoRomFacts;

std::vector<uint8_t> tile_data(const Document& document) {
  const SpriteWorkingSet& set = document.working_set();
  return std::vector<uint8_t>(set.tile_data, set.tile_data + set.decoded_size);
}

// The CF_DIB block now on the clipboard; empty when there is none.
std::vector<uint8_t> clipboard_dib(HWND owner) {
  std::vector<uint8_t> bytes;
  if (!OpenClipboard(owner)) return bytes;
  HANDLE data = GetClipboardData(CF_DIB);
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

TEST_F(PanelWindow, PasteOfATrueColourBitmapChangesNothing) {
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
  choose_menu(IDM_PASTE_SPRITE);
  choose_menu(IDM_PASTE_ALL_IMG);
  EXPECT_TRUE(tile_data(app.document) == before);
}

}  // namespace
}  // namespace vcv
