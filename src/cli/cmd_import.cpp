// vantorchar import: a picture goes into the whole tile data of one entry, as Paste All Img takes
// one, and then into the ROM through Write Image Changes. Indexed pictures give their indices (or
// are matched by colour when their palette order differs; --map forces either); true-colour
// pictures are matched onto the entry's palette, and refused whole when some pixel's colour is
// not in it, unless --nearest maps such pixels to the nearest palette colours. The window's
// prompts are answered by flags; nothing is written without --yes, and a prompt without its flag
// stops the command before anything is written. Every prompt and message the window would show
// is printed.
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "edit/command_messages.h"
#include "edit/scan_number.h"
#include "edit/paste_picture.h"
#include "image/picture_read.h"
#include "platform/ui.h"
#include "sprite/directory.h"

namespace vcv::cli {

namespace {

constexpr const char* kImportUsage =
    "import ROM --entry ID IN [--weapon-palette N] [--map index|colour] [--nearest] [--repack] "
    "[--pack game|optimal] [--at ADDRESS --file-offset OFFSET] [--no-backup] [--keep-history N] "
    "[--yes]";
constexpr int kIndexLimit = 16;  // palette indices a tile pixel can hold

struct ImportAnswers {
  bool yes = false;
  bool repack = false;
  bool typed = false;
  std::string address;
  std::string file_offset;
};

// The prompts, answered from the flags.
class CliUi : public Ui {
 public:
  CliUi(const ImportAnswers& answers, Streams streams) : answers_(answers), streams_(streams) {}

  bool confirm(Prompt prompt, const std::string& text) override {
    show(prompt_title(prompt), text);
    if (prompt == Prompt::kRepack) {
      const bool repack = answers_.repack && answers_.yes;
      std::fprintf(streams_.out, "-> %s\n", repack ? "OK (--repack --yes)" : "Cancel");
      if (answers_.repack && !answers_.yes) unanswered_ = "repacking writes the ROM: give --yes";
      return repack;
    }
    std::fprintf(streams_.out, "-> %s\n", answers_.yes ? "OK (--yes)" : "Cancel");
    if (!answers_.yes) unanswered_ = "not confirmed: give --yes to write";
    return answers_.yes;
  }
  // The tool drops nothing it was not told to: no question of this kind comes up.
  Answer ask(Prompt prompt, const std::string& text) override {
    show(prompt_title(prompt), text);
    std::fprintf(streams_.out, "-> Cancel\n");
    return Answer::kCancel;
  }
  void message(const std::string& title, const std::string& text) override { show(title, text); }
  bool choose_colour(uint32_t, const uint32_t*, uint32_t*) override { return false; }
  bool ask_write_position(const std::string& address, const std::string& file_offset,
                          std::string* address_out, std::string* file_offset_out) override {
    std::fprintf(streams_.out, "write position: address %s, file position %s\n", address.c_str(),
                 file_offset.c_str());
    if (!answers_.typed) {
      if (unanswered_.empty()) {
        unanswered_ = "the block does not fit in place: give --repack, or --at ADDRESS "
                      "--file-offset OFFSET";
      }
      return false;
    }
    std::fprintf(streams_.out, "-> %s, %s (--at, --file-offset)\n", answers_.address.c_str(),
                 answers_.file_offset.c_str());
    *address_out = answers_.address;
    *file_offset_out = answers_.file_offset;
    return true;
  }
  bool put_clipboard(const std::vector<ClipboardBlock>&) override { return false; }
  bool read_clipboard(ClipboardContents*) override { return false; }

  // Why the command stopped at a prompt, when it did.
  const std::string& unanswered() const { return unanswered_; }

 private:
  void show(const std::string& title, const std::string& text) {
    std::fprintf(streams_.out, "[%s]\n%s\n", title.c_str(), to_unix_lines(text).c_str());
  }

  const ImportAnswers& answers_;
  Streams streams_;
  std::string unanswered_;
};

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar import: %s; usage: %s\n", why.c_str(), kImportUsage);
  return kExitUsage;
}

std::string size_text(int width, int height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

void warn_about_high_indices(const std::vector<uint8_t>& indices, Streams streams) {
  long long high_values = 0;
  for (uint8_t value : indices) high_values += value >= kIndexLimit;
  if (high_values > 0) {
    std::fprintf(streams.err,
                 "vantorchar import: warning: %lld pixels hold indices above 15; only their low "
                 "four bits are used\n",
                 high_values);
  }
}

// The typed file position must name a place inside the ROM file: read as the dialog reads it
// ("%X": blanks, an optional 0x, hexadecimal digits), but without the dialog's wrap of long
// numbers round to some other place.
bool file_offset_inside(const std::string& text, long long file_size) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end && is_scan_space(*p)) ++p;
  if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;
  long long value = 0;
  int digits = 0;
  for (; p < end && std::isxdigit(static_cast<unsigned char>(*p)); ++p, ++digits) {
    const int digit = *p <= '9' ? *p - '0' : (*p | 0x20) - 'a' + 10;
    value = value * 16 + digit;
    if (value >= file_size) return false;
  }
  return digits > 0;
}

// What the command reports for the result of Write Image Changes.
int report(const CommandResult& result, const CliUi& ui, const std::string& picture, int entry,
           const std::string& rom, Streams streams) {
  if (const auto shown = message_for(result)) {
    if (!shown->error()) {
      std::fprintf(streams.out, "[%s]\n%s\n", shown->title.c_str(),
                   to_unix_lines(shown->text).c_str());
    } else {
      return fail(streams, "import", shown->title + ": " + shown->text);
    }
  }
  if (!result.wrote()) {
    if (!ui.unanswered().empty()) return fail(streams, "import", ui.unanswered() + "; nothing was written");
    return fail(streams, "import", "nothing was written");
  }
  std::fprintf(streams.out, "wrote %s into entry %03X of %s\n", picture.c_str(), entry,
               rom.c_str());
  if (!result.backup_path.empty()) {
    std::fprintf(streams.out, "the ROM as it was before is kept in %s\n",
                 result.backup_path.c_str());
  }
  return kExitOk;
}

}  // namespace

int cmd_import(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  int entry = -1;
  int weapon_palette = 0;
  if (!take_number(reader, "import", "--entry", 0, kLastEntry, &entry, streams) ||
      !take_number(reader, "import", "--weapon-palette", 0, kWeaponPaletteCount - 1,
                   &weapon_palette, streams)) {
    return kExitUsage;
  }
  ImportAnswers answers;
  answers.yes = reader.take_flag("--yes");
  answers.repack = reader.take_flag("--repack");
  const bool no_backup = reader.take_flag("--no-backup");
  int keep_history = kDefaultHistoryKeep;
  if (!take_keep_history(reader, "import", &keep_history, streams)) return kExitUsage;
  const bool has_at = reader.take_value("--at", &answers.address);
  const bool has_offset = reader.take_value("--file-offset", &answers.file_offset);
  std::string pack_text = "game";
  reader.take_value("--pack", &pack_text);
  MappingOptions mapping;
  std::string mapping_error;
  const bool mapping_read = take_mapping_options(reader, &mapping, &mapping_error);
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (!mapping_read) return usage(streams, mapping_error);
  if (rest.size() != 2) return usage(streams, "a ROM file and a picture are needed");
  if (entry < 0) return usage(streams, "--entry is needed");
  if (has_at != has_offset) return usage(streams, "--at and --file-offset go together");
  answers.typed = has_at;
  PackMethod method = PackMethod::kGame;
  if (!parse_pack_method(pack_text.c_str(), &method)) {
    return usage(streams, "--pack is game or optimal, not '" + pack_text + "'");
  }

  Picture image;
  std::string error;
  if (!read_picture_file(rest[1], &image, &error)) return fail(streams, "import", error);
  if (mapping.indexed == IndexedMapping::kIndices && image.kind == PictureKind::kTrueColour) {
    return fail(streams, "import",
                rest[1] + " holds colours, not palette indices: --map index needs an indexed "
                          "PNG or BMP; nothing was written");
  }

  Document document;
  if (!open_document("import", rest[0], &document, streams, false)) return kExitFailure;
  document.rom().set_keep_backup(!no_backup);
  document.rom().set_keep_history(keep_history);
  if (answers.typed && !file_offset_inside(answers.file_offset, document.image().size())) {
    return fail(streams, "import",
                "--file-offset " + answers.file_offset + " is not a position inside " + rest[0]);
  }
  document.view().weapon_palette = weapon_palette;
  if (!load_document_entry("import", entry, &document, streams)) return kExitFailure;
  const IndexedImage sheet = sheet_picture(document.working_set());
  if (image.width != sheet.width || image.height != sheet.height) {
    char text[160];
    std::snprintf(text, sizeof text, "the picture is %s, but the tile sheet of entry %03X is %s "
                  "(as export --sheet writes it); nothing was written",
                  size_text(image.width, image.height).c_str(), entry,
                  size_text(sheet.width, sheet.height).c_str());
    return fail(streams, "import", text);
  }
  // Matched by colour with the sheet's indices now deciding between repeated colours.
  PasteIndices indices;
  const CommandResult mapped = map_pasted_picture(
      image, document.working_set().palette, {sheet.pixels.data(), sheet.width, sheet.height, 0},
      mapping, &indices);
  if (mapped.status == CommandStatus::kOutsidePalette) {
    return fail(streams, "import",
                mapped.detail + "; nothing was written (--nearest maps them to the nearest "
                                "palette colours)");
  }
  if (mapped.failed()) return fail(streams, "import", mapped.detail + "; nothing was written");
  if (const auto notice = message_for(mapped)) {
    std::fprintf(streams.out, "%s\n", to_unix_lines(notice->text).c_str());
  }
  warn_about_high_indices(indices.indices, streams);
  const CommandResult pasted =
      document.paste_sheet(indices.indices.data(), indices.width, indices.height);
  if (pasted.failed()) {
    const auto message = message_for(pasted);
    return fail(streams, "import",
                (message ? message->text : std::string("the picture was not taken")) +
                    "; nothing was written");
  }
  CliUi ui(answers, streams);
  const CommandResult result = document.write_image_changes(ui, method);
  print_write_notes(document.rom().last_write_notes(), streams);
  return report(result, ui, rest[1], entry, rest[0], streams);
}

}  // namespace vcv::cli
