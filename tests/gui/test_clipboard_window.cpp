// The clipboard commands through the real Windows clipboard: what the menu commands put there
// comes back unchanged, for every flip of a block's tiles, and as the whole tile sheet; pictures
// in colours come in by the palette; and through Wine's tie to the X clipboard, driven with
// xclip, a PNG from an X program pastes and a copy reaches X programs as an indexed PNG.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "demo/demo_rom.h"
#include "gui_fixture.h"
#include "image/picture_read.h"
#include "platform/text_encoding.h"
#include "png_writer.h"
#include "res/resource.h"
#include "sprite/frames.h"
#include "sprite/tiles.h"

namespace vcv {
namespace {

using demo::DemoRomFacts;

std::vector<uint8_t> tile_data(const Document& document) {
  const SpriteWorkingSet& set = document.working_set();
  return std::vector<uint8_t>(set.tile_data, set.tile_data + set.decoded_size);
}

UINT png_format() { return RegisterClipboardFormatW(L"PNG"); }

// The block now on the clipboard in `format`; empty when there is none.
std::vector<uint8_t> clipboard_block(HWND owner, UINT format) {
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

std::vector<uint8_t> clipboard_dib(HWND owner) { return clipboard_block(owner, CF_DIB); }

// Empties the clipboard and puts `bytes` there in `format` (none when `bytes` is empty).
void put_block(HWND owner, UINT format, const std::vector<uint8_t>& bytes) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  if (!bytes.empty()) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    ASSERT_NE(memory, nullptr);
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    if (SetClipboardData(format, memory) == nullptr) GlobalFree(memory);
  }
  CloseClipboard();
}

// A 24-bit CF_DIB block of `width` x `height` pixels 0x00RRGGBB, rows from the top.
std::vector<uint8_t> dib24(int width, int height, const std::vector<uint32_t>& pixels) {
  const int stride = (3 * width + 3) / 4 * 4;
  std::vector<uint8_t> block(40 + static_cast<size_t>(stride) * height, 0);
  BITMAPINFOHEADER header = {};
  header.biSize = 40;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  std::memcpy(block.data(), &header, sizeof header);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      uint8_t* at = &block[40 + static_cast<size_t>(height - 1 - y) * stride + 3 * x];
      at[0] = static_cast<uint8_t>(p);
      at[1] = static_cast<uint8_t>(p >> 8);
      at[2] = static_cast<uint8_t>(p >> 16);
    }
  return block;
}

// The panel's colour of a palette entry as 0xFFRRGGBB.
uint32_t opaque_rgb(const SpriteWorkingSet& set, int index) {
  const uint32_t c = palette_colour_to_display(set.palette[index]);
  return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// The palette entries from 1 on whose colour no other entry has.
std::vector<int> unique_colours(const SpriteWorkingSet& set) {
  std::vector<int> unique;
  for (int i = 1; i < 16; ++i) {
    int same = 0;
    for (int j = 0; j < 16; ++j) same += (set.palette[i] & 0x7FFF) == (set.palette[j] & 0x7FFF);
    if (same == 1) unique.push_back(i);
  }
  return unique;
}

// Gives the block's four quadrants tiles of their own, unflipped, so its picture is its tiles.
void give_block_own_tiles(SpriteWorkingSet& set, int image, int block) {
  for (int q = 0; q < 4; ++q) set.frames[image].tile[block][q] = static_cast<uint16_t>(100 + q);
}

std::vector<uint8_t> block_picture(Document& document) {
  std::vector<uint8_t> pixels(256, 0);
  render_block(document.working_set(), document.view().image_no, document.view().block_no,
               pixels.data());
  return pixels;
}

// Waits, handling this thread's messages, until `done` holds; false after `seconds`.
bool wait_until(const std::function<bool()>& done, int seconds) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (done()) return true;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(50);
  }
  return done();
}

// A folder both sides see: /tmp/NAME for the Unix programs, Z:\tmp\NAME (Wine's drive for
// the root of the Unix file system) for this program.
struct SharedFolder {
  explicit SharedFolder(const std::string& name)
      : unix_path("/tmp/" + name), windows_path("Z:\\tmp\\" + name) {
    CreateDirectoryW(utf8_to_wide(windows_path).c_str(), nullptr);
  }
  ~SharedFolder() {
    for (const char* file : {"in.png", "out.png", "out.part"}) {
      DeleteFileW(utf8_to_wide(windows_path + "\\" + file).c_str());
    }
    RemoveDirectoryW(utf8_to_wide(windows_path).c_str());
  }
  std::string unix_path;
  std::string windows_path;
};

// Starts `command` with the Unix shell: Wine starts a Unix program as it is, and xclip then
// talks to the X display Wine's clipboard is tied to. Unix programs give Wine no exit code to
// wait for, so callers wait for what the command leaves behind.
bool start_unix_shell(const std::string& command) {
  std::wstring line = L"/bin/sh -c \"" + utf8_to_wide(command) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(L"/bin/sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::vector<uint8_t> read_file(const std::string& windows_path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = _wfopen(utf8_to_wide(windows_path).c_str(), L"rb");
  if (f == nullptr) return bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(f);
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

// A 24-bit bitmap (as paint programs put them) in the palette's colours pastes by colour; one in
// a colour the palette lacks is refused with a message and changes nothing.
TEST_F(PanelWindow, TrueColourBitmapsPasteByColourOrAreRefused) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize1);
  SpriteWorkingSet& set = app.document.working_set();
  give_block_own_tiles(set, app.document.view().image_no, app.document.view().block_no);
  const std::vector<int> unique = unique_colours(set);
  ASSERT_GE(unique.size(), 3u);
  std::vector<uint32_t> pixels(256);
  for (int i = 0; i < 256; ++i) pixels[i] = opaque_rgb(set, unique[i % 3]);
  put_block(app.main_window, CF_DIB, dib24(16, 16, pixels));
  choose_menu(IDM_PASTE_SPRITE);
  EXPECT_TRUE(ui.messages.empty());
  std::vector<uint8_t> block = block_picture(app.document);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(block[i], unique[i % 3]) << i;

  const std::vector<uint8_t> before = tile_data(app.document);
  put_block(app.main_window, CF_DIB, dib24(2, 2, std::vector<uint32_t>(4, 0x777777)));
  choose_menu(IDM_PASTE_SPRITE);
  choose_menu(IDM_PASTE_ALL_IMG);
  const std::string refused = "Paste: 4 pixels have colours outside the palette; the first is at "
                              "(0, 0): #777777. Nothing was pasted.";
  EXPECT_EQ(ui.messages, std::vector<std::string>(2, refused));
  EXPECT_TRUE(tile_data(app.document) == before);
}

TEST_F(PanelWindow, AClipboardWithoutAPictureIsReportedWithItsFormats) {
  open_demo_rom();
  const std::string text = "hello";
  put_block(app.main_window, CF_TEXT, std::vector<uint8_t>(text.begin(), text.end() + 1));
  choose_menu(IDM_PASTE_SPRITE);
  put_block(app.main_window, CF_TEXT, {});
  choose_menu(IDM_PASTE_ALL_IMG);
  ASSERT_EQ(ui.messages.size(), 2u);
  const std::string start = "Paste: The clipboard holds no picture this program can read: ";
  EXPECT_EQ(ui.messages[0].rfind(start + "CF_TEXT", 0), 0u) << ui.messages[0];
  EXPECT_NE(ui.messages[0].find("CF_UNICODETEXT"), std::string::npos) << ui.messages[0];
  EXPECT_EQ(ui.messages[1], start + "it is empty.");
}

// An X program's PNG: xclip offers it as image/png, which Wine hands on as "PNG".
TEST_F(PanelWindow, ATrueColourPngFromAnXProgramPastesIntoTheSelectedBlock) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize1);
  SpriteWorkingSet& set = app.document.working_set();
  give_block_own_tiles(set, app.document.view().image_no, app.document.view().block_no);
  const std::vector<int> unique = unique_colours(set);
  ASSERT_GE(unique.size(), 5u);
  // Transparent in the two left columns, colours of the palette elsewhere.
  std::vector<uint32_t> pixels(256);
  std::vector<uint8_t> expected(256);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int index = x < 2 ? 0 : unique[(x + 2 * y) % unique.size()];
      expected[y * 16 + x] = static_cast<uint8_t>(index);
      pixels[y * 16 + x] = index == 0 ? 0x00FF00FF : opaque_rgb(set, index);
    }
  const SharedFolder folder("vantor-gui-xclip-in-" + std::to_string(GetCurrentProcessId()));
  ASSERT_TRUE(write_png(folder.windows_path + "\\in.png", 16, 16, pixels, true));
  put_block(app.main_window, CF_TEXT, {});  // so that "PNG" can only come from X
  // xclip stays behind to serve the selection: it must not hold this program's output open.
  ASSERT_TRUE(start_unix_shell("xclip -selection clipboard -t image/png -i " + folder.unix_path +
                               "/in.png < /dev/null > /dev/null 2>&1"));
  ASSERT_TRUE(wait_until([] { return IsClipboardFormatAvailable(png_format()) != 0; }, 20))
      << "xclip's PNG never reached the Wine clipboard";
  choose_menu(IDM_PASTE_SPRITE);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front();
  EXPECT_EQ(block_picture(app.document), expected);
}

// Copy Img as X programs see it: image/png holds the frame's indices and the panel's colours.
TEST_F(PanelWindow, CopyImgReachesXProgramsAsAnIndexedPngOfTheFrame) {
  open_demo_rom();
  select_entry(DemoRomFacts::kEntrySize3);
  choose_menu(IDM_COPY_IMG);
  const std::vector<uint8_t> png = clipboard_block(app.main_window, png_format());
  ASSERT_FALSE(png.empty());
  ASSERT_EQ(clipboard_dib(app.main_window).size(), 40u + 64u + 192u * 192u);
  const SharedFolder folder("vantor-gui-xclip-out-" + std::to_string(GetCurrentProcessId()));
  const std::string out = folder.unix_path + "/out";
  ASSERT_TRUE(start_unix_shell("xclip -selection clipboard -t image/png -o > " + out +
                               ".part 2> /dev/null && mv " + out + ".part " + out + ".png"));
  const std::string got_path = folder.windows_path + "\\out.png";
  ASSERT_TRUE(wait_until([&] { return GetFileAttributesW(utf8_to_wide(got_path).c_str()) !=
                                      INVALID_FILE_ATTRIBUTES; },
                         20))
      << "xclip read no image/png";
  const std::vector<uint8_t> got = read_file(got_path);
  EXPECT_TRUE(got == png) << "the bytes changed on their way to X";
  Picture picture;
  std::string error;
  ASSERT_TRUE(read_png_picture(got.data(), got.size(), &picture, &error)) << error;
  ASSERT_EQ(picture.kind, PictureKind::kIndexed);
  ASSERT_EQ(picture.width, 192);
  ASSERT_EQ(picture.height, 192);
  const uint8_t* canvas = app.document.display().canvas;
  EXPECT_TRUE(std::equal(picture.indices.begin(), picture.indices.end(), canvas));
  ASSERT_EQ(picture.colour_count, 16);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(picture.colours[i], app.document.display().display_palette[i]) << i;
    EXPECT_EQ(picture.colour_alpha[i], i == 0 ? 0 : 255) << i;
  }
}

}  // namespace
}  // namespace vcv
