// Shared pieces of the write-back tests: a Ui that answers prompts from a script and records
// everything shown, small synthetic ROM files in a temporary folder, and a way to make a ROM file
// unwritable that also works when the tests run as root.
#pragma once

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <share.h>
#endif
#if defined(__linux__)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "demo/demo_rom.h"
#include "document/document.h"
#include "edit/command_messages.h"
#include "platform/ui.h"
#include "rom/header_checksum.h"
#include "rom/rom_image.h"
#include "sprite/codec.h"
#include "sprite/sprite_data.h"
#include "sprite/tiles.h"
#include "temp_folder.h"

namespace vcv::testing_support {

class ScriptedUi : public Ui {
 public:
  struct Shown {
    std::string kind;  // "confirm", "message", "position", "position-error"
    std::string title;
    std::string text;
  };

  // Answers in order from confirm_answers; records the title the user would see.
  bool confirm(Prompt prompt, const std::string& text) override {
    shown.push_back({"confirm", prompt_title(prompt), text});
    prompts.push_back(prompt);
    if (confirm_answers.empty()) {
      ADD_FAILURE() << "unexpected confirmation: " << prompt_title(prompt);
      return false;
    }
    const bool answer = confirm_answers.front();
    confirm_answers.pop_front();
    return answer;
  }
  Answer ask(Prompt prompt, const std::string& text) override {
    shown.push_back({"ask", prompt_title(prompt), text});
    prompts.push_back(prompt);
    if (ask_answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << prompt_title(prompt);
      return Answer::kCancel;
    }
    const Answer answer = ask_answers.front();
    ask_answers.pop_front();
    return answer;
  }
  void message(const std::string& title, const std::string& text) override {
    shown.push_back({"message", title, text});
  }
  bool choose_colour(uint32_t, const uint32_t*, uint32_t*) override { return false; }
  bool ask_write_position(const std::string& address, const std::string& file_offset,
                          std::string* address_out, std::string* file_offset_out) override {
    shown.push_back({"position", address, file_offset});
    if (position_answers.empty()) {
      ADD_FAILURE() << "unexpected write-position dialog";
      return false;
    }
    const auto answer = position_answers.front();
    position_answers.pop_front();
    if (!answer.first) return false;
    *address_out = answer.second.first;
    *file_offset_out = answer.second.second;
    return true;
  }
  void write_position_error(const std::string& title, const std::string& text) override {
    shown.push_back({"position-error", title, text});
  }
  bool put_clipboard(const std::vector<ClipboardBlock>& blocks) override {
    clipboard = blocks;
    other_formats.clear();
    return true;
  }
  bool read_clipboard(ClipboardContents* contents) override {
    contents->pictures = clipboard;
    contents->format_names.clear();
    for (const ClipboardBlock& block : clipboard) {
      static const char* const kNames[] = {"CF_DIB", "CF_DIBV5", "PNG"};
      contents->format_names.push_back(kNames[static_cast<int>(block.format)]);
    }
    for (const std::string& name : other_formats) contents->format_names.push_back(name);
    return true;
  }
  // The bytes the clipboard holds in `format`; empty when it holds none.
  const std::vector<uint8_t>& held(ClipboardFormat format) const {
    static const std::vector<uint8_t> kNone;
    for (const ClipboardBlock& block : clipboard) {
      if (block.format == format) return block.bytes;
    }
    return kNone;
  }
  // Puts `bytes` on the clipboard in `format`, after what it holds in other formats.
  void hold(ClipboardFormat format, std::vector<uint8_t> bytes) {
    drop(format);
    clipboard.push_back({format, std::move(bytes)});
  }
  void drop(ClipboardFormat format) {
    clipboard.erase(std::remove_if(clipboard.begin(), clipboard.end(),
                                   [format](const ClipboardBlock& b) { return b.format == format; }),
                    clipboard.end());
  }
  void answer_position(const std::string& address, const std::string& file_offset) {
    position_answers.push_back({true, {address, file_offset}});
  }
  void cancel_position() { position_answers.push_back({false, {}}); }

  // "kind:title" of everything shown, in order.
  std::vector<std::string> kinds() const {
    std::vector<std::string> out;
    for (const Shown& s : shown) out.push_back(s.kind + ":" + s.title);
    return out;
  }

  std::deque<bool> confirm_answers;
  std::deque<Answer> ask_answers;
  std::vector<Prompt> prompts;  // every prompt asked, in order
  std::deque<std::pair<bool, std::pair<std::string, std::string>>> position_answers;
  std::vector<Shown> shown;
  std::vector<ClipboardBlock> clipboard;   // the picture blocks, in the order they were put
  std::vector<std::string> other_formats;  // names of formats held besides them
};

// A command's result shown as the window program shows it: its message, if it has one.
inline CommandResult shown(ScriptedUi& ui, const CommandResult& result) {
  if (const auto message = message_for(result)) ui.message(message->title, message->text);
  return result;
}

// One folder per test run for the ROM copies the tests write; removed when the run ends.
inline std::string temp_folder() {
  static const TempFolder folder("write");
  return folder.dir().u8string();
}

inline std::vector<uint8_t> read_all(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return bytes;
  uint8_t buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  std::fclose(f);
  return bytes;
}

inline void write_all(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
  std::fclose(f);
}

// HiROM, headerless: bank C0 + n is file bank n.
inline size_t file_pos(int bank, int offset) {
  return static_cast<size_t>(((bank & 0xFF) - 0xC0) * 0x10000 + (offset & 0xFFFF));
}

// Differences between two images as "position: old -> new" lines (first few only).
inline std::string first_differences(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::string out;
  if (a.size() != b.size()) out += "sizes differ\n";
  int shown = 0;
  for (size_t i = 0; i < a.size() && i < b.size() && shown < 8; ++i) {
    if (a[i] == b[i]) continue;
    char line[64];
    std::snprintf(line, sizeof line, "%06zX: %02X -> %02X\n", i, a[i], b[i]);
    out += line;
    ++shown;
  }
  return out;
}

// A synthetic ROM: banks C0..E4 filled with a position-dependent pattern (so a stray write shows),
// every graphics pointer aimed at an empty packed block at C0:0000.
// `bytes` (a headerless image) with a header checksum and complement that match them.
inline std::vector<uint8_t> with_header_checksum(std::vector<uint8_t> bytes) {
  RomImage image(std::move(bytes), kMappingHiRom, 0);
  store_header_checksum(&image);
  return image.bytes();
}

class SyntheticRom {
 public:
  static constexpr size_t kSize = 0x250000;

  SyntheticRom() : bytes(kSize) {
    for (size_t i = 0; i < kSize; ++i) bytes[i] = static_cast<uint8_t>((i * 131 + (i >> 9)) ^ 0x5A);
    const uint8_t empty_block[3] = {0x00, 0x00, 0x40};
    std::memcpy(&bytes[0], empty_block, 3);
    for (int n = 0; n < kGraphicsPointerCount; ++n) set_pointer(n, 0xC0, 0x0000);
  }

  void set_pointer(int graphics, int bank, int offset) {
    const size_t at = file_pos(kTableBank, kGraphicsPointerTable + 3 * graphics);
    bytes[at] = static_cast<uint8_t>(offset);
    bytes[at + 1] = static_cast<uint8_t>(offset >> 8);
    bytes[at + 2] = static_cast<uint8_t>(bank);
  }

  // Packs `picture` and stores the block at bank:offset; returns its packed size.
  int place_packed(int graphics, int bank, int offset, const std::vector<uint8_t>& picture) {
    std::vector<uint8_t> block(kPackedBufferSize);
    const int size = pack_block_best(picture.data(), static_cast<int>(picture.size()), block.data(),
                                     kPackedBufferSize);
    EXPECT_GT(size, 0);
    std::memcpy(&bytes[file_pos(bank, offset)], block.data(), static_cast<size_t>(size));
    if (graphics >= 0) set_pointer(graphics, bank, offset);
    return size;
  }

  // Saved with a header checksum that matches, as a real ROM's does, so that every write
  // keeps it matching (with_header_checksum gives what a write makes of the bytes).
  std::string save(const std::string& name) {
    bytes = with_header_checksum(std::move(bytes));
    const std::string path = temp_folder() + "/" + name;
    write_all(path, bytes);
    return path;
  }

  std::vector<uint8_t> bytes;
};

// A picture of `tiles` tiles: smooth bands (compress well) with `noise` bytes of pseudo-random
// values from `seed` (compress badly), so sizes can be steered.
inline std::vector<uint8_t> make_picture(int tiles, int noise, uint32_t seed) {
  std::vector<uint8_t> picture(static_cast<size_t>(tiles) * kTileBytes, 0);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>((i / 64) * 17);
  uint32_t state = seed * 2654435761u + 1;
  for (int i = 0; i < noise && i < static_cast<int>(picture.size()); ++i) {
    state = state * 1664525u + 1013904223u;
    picture[static_cast<size_t>(i)] = static_cast<uint8_t>(state >> 24);
  }
  return picture;
}

inline int packed_size_of(const std::vector<uint8_t>& picture) {
  std::vector<uint8_t> block(kPackedBufferSize);
  return pack_block_best(picture.data(), static_cast<int>(picture.size()), block.data(),
                         kPackedBufferSize);
}

// Decodes the block a graphics pointer names in `rom` (limit as the loader uses); empty when it
// does not decode.
inline std::vector<uint8_t> decode_graphics(const std::vector<uint8_t>& rom, int graphics) {
  const size_t at = file_pos(kTableBank, kGraphicsPointerTable + 3 * graphics);
  const int offset = rom[at] | (rom[at + 1] << 8);
  const int bank = rom[at + 2];
  const size_t start = file_pos(bank, offset);
  if (start >= rom.size()) return {};
  std::vector<uint8_t> out(kGraphicsDecodeLimit);
  const int size = unpack_block(rom.data(), rom.size(), start, out.data(), kGraphicsDecodeLimit,
                                nullptr);
  if (size < 0) return {};
  out.resize(static_cast<size_t>(size));
  return out;
}

// Opens `path` into the document and loads graphics number `graphics` into the working set
// the way loading an entry does (entry 0 stands for it).
inline void load_graphics(Document& document, const std::string& path, int graphics) {
  ASSERT_TRUE(document.rom().open(path, kMappingHiRom, 0).ok());
  const RomImage& rom = document.image();
  SpriteWorkingSet& set = document.working_set();
  set.loaded_entry = 0;
  set.failed_entry = -1;
  set.header[0] = static_cast<uint8_t>(graphics);
  set.graphics_offset = rom.read_word(kTableBank, kGraphicsPointerTable + 3 * graphics);
  set.graphics_bank = rom.read_byte(kTableBank, kGraphicsPointerTable + 3 * graphics + 2);
  if (graphics < kFirstPackedGraphics) {
    rom.read_block(set.graphics_bank, set.graphics_offset, kPlainGraphicsSize[graphics],
                   set.tile_data);
    set.decoded_size = set.stored_size = kPlainGraphicsSize[graphics];
    return;
  }
  rom.read_block(set.graphics_bank, set.graphics_offset, kPackedReadSize, set.packed);
  int packed = 0;
  set.decoded_size = unpack_block(set.packed, kPackedReadSize, 0, set.tile_data,
                                  kGraphicsDecodeLimit, &packed);
  ASSERT_GE(set.decoded_size, 0);
  set.stored_size = packed;
}

inline bool can_open_for_update(const std::string& path) {
  std::FILE* probe = std::fopen(path.c_str(), "rb+");
  if (probe == nullptr) return false;
  std::fclose(probe);
  return true;
}

#if defined(__linux__)
// The immutable flag stops even root from opening the file for writing.
inline bool set_immutable(const std::string& path, bool on) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (ok) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  close(fd);
  return ok;
}
#endif

// Makes the ROM file at `path` impossible to open for update while its bytes stay readable at
// *kept_path. A read-only mode is enough for an ordinary user; root ignores file modes, so then
// the file is made immutable, and where that is not possible it is moved aside and a directory
// takes its name (no one can open a directory for update).
#if defined(_WIN32)
// A handle that denies writing to everyone else, held while the file is to stay unwritable.
inline std::FILE* g_write_blocker = nullptr;
#endif

inline void make_unwritable(const std::string& path, std::string* kept_path) {
  namespace fs = std::filesystem;
  *kept_path = path;
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  if (!can_open_for_update(path)) return;
#if defined(_WIN32)
  // Windows (and Wine run as root) may still let the owner write: a share mode that denies
  // writing stops every other open for update.
  g_write_blocker = _fsopen(path.c_str(), "rb", _SH_DENYWR);
  ASSERT_NE(g_write_blocker, nullptr);
  ASSERT_FALSE(can_open_for_update(path));
  return;
#endif
#if defined(__linux__)
  if (set_immutable(path, true) && !can_open_for_update(path)) return;
  set_immutable(path, false);
#endif
  *kept_path = path + ".kept";
  fs::rename(path, *kept_path);
  fs::create_directory(path);
  ASSERT_FALSE(can_open_for_update(path));
}

// How a write to a file make_unwritable prepared is refused: as unwritable, or (Windows, where a
// handle denying writes stands for it) as busy with another program.
inline bool refused_as_unwritable(CommandStatus status) {
  return status == CommandStatus::kNotWritable || status == CommandStatus::kBusy;
}

inline void restore_writable(const std::string& path, const std::string& kept_path) {
  namespace fs = std::filesystem;
  std::error_code ignored;
#if defined(_WIN32)
  if (g_write_blocker != nullptr) std::fclose(g_write_blocker);
  g_write_blocker = nullptr;
#endif
  if (kept_path != path) {
    fs::remove(path, ignored);
    fs::rename(kept_path, path, ignored);
  }
#if defined(__linux__)
  set_immutable(path, false);
#endif
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write, ignored);
}

// The demo ROM, built once per test run.
inline const std::vector<uint8_t>& demo_rom_bytes(demo::DemoRomLayout* layout_out = nullptr) {
  static std::vector<uint8_t> bytes;
  static demo::DemoRomLayout layout;
  if (bytes.empty()) {
    EXPECT_TRUE(demo::build_demo_rom(&bytes, &layout));
  }
  if (layout_out != nullptr) *layout_out = layout;
  return bytes;
}

// A fresh copy of the demo ROM at `name` in the temporary folder, opened into `document`.
inline std::string open_demo_copy(Document& document, const std::string& name) {
  const std::string path = temp_folder() + "/" + name;
  write_all(path, demo_rom_bytes());
  EXPECT_TRUE(document.open(path).ok());
  return path;
}

// The entry whose header names `graphics`, or -1.
inline int entry_with_graphics(const std::vector<uint8_t>& rom, int graphics) {
  for (int e = 0; e < kEntryCount; ++e) {
    const size_t at = e < kCharacterCount
                          ? file_pos(kTableBank, kCharacterTable + 5 * e)
                          : file_pos(kTableBank, kEnemyTable + 10 * (e - kCharacterCount));
    if (rom[at] == graphics) return e;
  }
  return -1;
}

}  // namespace vcv::testing_support
