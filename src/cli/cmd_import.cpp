// vantorchar import: an indexed picture goes into the whole tile data of one entry, as Paste All
// Img takes a bitmap, and then into the ROM through Write Image Changes. The prompts of the
// window are answered by flags; a prompt without its flag stops the command before anything is
// written. Every message the window would show is printed.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/sprite_session.h"
#include "image/dib_build.h"
#include "image/dib_parse.h"
#include "edit/edit_commands.h"
#include "edit/write_messages.h"
#include "image/image_read.h"
#include "platform/ui.h"
#include "rom/open_rom.h"
#include "sprite/directory.h"
#include "view/app_state.h"
#include "view/refresh.h"

namespace vcv::cli {

namespace {

constexpr const char* kImportUsage =
    "import ROM --entry ID IN [--repack] [--at ADDRESS --file-offset OFFSET] [--yes]";
constexpr int kIndexLimit = 16;  // palette indices a tile pixel can hold

struct ImportAnswers {
  bool yes = false;
  bool repack = false;
  bool typed = false;
  std::string address;
  std::string file_offset;
};

// The prompts answered from the flags; the pasted picture handed over as the clipboard.
class CliUi : public Ui {
 public:
  CliUi(const ImportAnswers& answers, Streams streams) : answers_(answers), streams_(streams) {}

  bool confirm(const std::string& title, const std::string& text) override {
    show(title, text);
    if (title == kWriteConfirmTitle) {
      if (!answers_.yes) note("not confirmed: give --yes to write; nothing was written");
      confirmed_write_ = answers_.yes;
      return answers_.yes;
    }
    if (title == kSizeOverTitle) {
      std::fprintf(streams_.out, "-> %s\n", answers_.repack ? "OK (--repack)" : "Cancel");
      return answers_.repack;
    }
    return false;
  }
  void message(const std::string& title, const std::string& text) override {
    show(title, text);
    if (title == kRepackSuccessTitle) repacked_ = true;
    if (title == kWriteErrorTitle) failed_ = true;
  }
  bool choose_colour(uint32_t, const uint32_t*, uint32_t*) override { return false; }
  bool ask_write_position(const std::string& address, const std::string& file_offset,
                          std::string* address_out, std::string* file_offset_out) override {
    std::fprintf(streams_.out, "write position: address %s, file position %s\n", address.c_str(),
                 file_offset.c_str());
    if (!answers_.typed) {
      note("the block does not fit in place: give --repack, or --at ADDRESS --file-offset "
           "OFFSET; nothing was written");
      return false;
    }
    std::fprintf(streams_.out, "-> %s, %s (--at, --file-offset)\n", answers_.address.c_str(),
                 answers_.file_offset.c_str());
    *address_out = answers_.address;
    *file_offset_out = answers_.file_offset;
    return true;
  }
  void write_position_error(const std::string& title, const std::string& text) override {
    show(title, text);
    failed_ = true;
  }
  bool put_clipboard_dib(const std::vector<uint8_t>&) override { return false; }
  bool get_clipboard_dib(std::vector<uint8_t>* block) override {
    *block = picture_;
    return !picture_.empty();
  }
  void set_control_text(int, const std::string&) override {}
  std::string control_text(int) override { return {}; }
  void select_entry_in_list(int) override {}
  bool is_box_checked(int) override { return false; }
  void set_title(const std::string&) override {}
  void repaint_areas() override {}

  void set_picture(std::vector<uint8_t> block) { picture_ = std::move(block); }
  // True when the command ended with its data in the ROM.
  bool wrote() const { return repacked_ || (confirmed_write_ && !failed_); }

 private:
  void show(const std::string& title, const std::string& text) {
    std::fprintf(streams_.out, "[%s]\n%s\n", title.c_str(), to_unix_lines(text).c_str());
  }
  void note(const char* text) { std::fprintf(streams_.err, "vantorchar import: %s\n", text); }

  const ImportAnswers& answers_;
  Streams streams_;
  std::vector<uint8_t> picture_;
  bool confirmed_write_ = false;
  bool repacked_ = false;
  bool failed_ = false;
};

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar import: %s; usage: %s\n", why.c_str(), kImportUsage);
  return kExitUsage;
}

int fail(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar import: %s\n", why.c_str());
  return kExitFailure;
}

// The picture as the clipboard block Paste All Img takes; empty (with `why`) when it is larger
// than the paste's scratch buffer.
std::vector<uint8_t> picture_block(const IndexedImage& image, std::string* why) {
  const std::string size = std::to_string(image.width) + "x" + std::to_string(image.height);
  const long long stored = static_cast<long long>(dib_row_stride(image.width)) * image.height;
  if (stored > kPasteAllScratch) {
    *why = "the picture (" + size + ") is larger than the tile sheet (128x640)";
    return {};
  }
  const uint32_t no_colours[16] = {};
  std::vector<uint8_t> block =
      build_dib(image.pixels.data(), image.width, image.height, 16, no_colours);
  if (block.empty()) *why = "the picture (" + size + ") cannot be taken as a bitmap";
  return block;
}

}  // namespace

int cmd_import(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  int entry = -1;
  if (!take_number(reader, "import", "--entry", 0, kLastEntry, &entry, streams)) return kExitUsage;
  ImportAnswers answers;
  answers.yes = reader.take_flag("--yes");
  answers.repack = reader.take_flag("--repack");
  const bool has_at = reader.take_value("--at", &answers.address);
  const bool has_offset = reader.take_value("--file-offset", &answers.file_offset);
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (rest.size() != 2) return usage(streams, "a ROM file and a picture are needed");
  if (entry < 0) return usage(streams, "--entry is needed");
  if (has_at != has_offset) return usage(streams, "--at and --file-offset go together");
  answers.typed = has_at;

  IndexedImage image;
  std::string error;
  if (!read_indexed_image(rest[1], &image, &error)) return fail(streams, error);
  long long high_values = 0;
  for (uint8_t value : image.pixels) high_values += value >= kIndexLimit;
  if (high_values > 0) {
    std::fprintf(streams.err,
                 "vantorchar import: warning: %lld pixels hold indices above 15; only their low "
                 "four bits are used\n",
                 high_values);
  }
  std::vector<uint8_t> block = picture_block(image, &error);
  if (block.empty()) return fail(streams, error);

  AppState app;
  CliUi ui(answers, streams);
  if (open_rom(app, ui, rest[0]) != 1) return fail(streams, "cannot open " + rest[0]);
  app.view.current_entry = entry;
  refresh_view(app, ui);
  if (app.working_set->loaded_entry != entry) {
    char why[96];
    std::snprintf(why, sizeof why,
                  "the graphics of entry %03X could not be decoded; nothing was written", entry);
    return fail(streams, why);
  }
  ui.set_picture(std::move(block));
  paste_all_img(app, ui);
  write_image_changes(app, ui);
  if (!ui.wrote()) return kExitFailure;
  std::fprintf(streams.out, "wrote %s into entry %03X of %s\n", rest[1].c_str(), entry,
               rest[0].c_str());
  return kExitOk;
}

}  // namespace vcv::cli
