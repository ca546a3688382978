// vantorchar import: a picture goes into the whole tile data of one entry, as Paste All Img takes
// one, and then into the ROM through Write Image Changes. Indexed pictures give their indices (or
// are matched by colour when their palette order differs; --map forces either); true-colour
// pictures are matched onto the entry's palette, and refused whole when some pixel's colour is
// not in it, unless --nearest maps such pixels to the nearest palette colours. The window's
// prompts are answered by flags and every prompt and message the window would show is printed:
// that is the plan. Without --yes nothing is written and the command fails ("nothing written:
// add --yes"); with --dry-run nothing is written either, and that is success.
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
#include "sprite/tile_sheet.h"

namespace vcv::cli {

namespace {

constexpr const char* kImportUsage =
    "import ROM --entry ID IN [--weapon-palette N] [--map index|colour] [--nearest] [--repack] "
    "[--pack game|optimal] [--at BANK:OFFSET [--file-offset OFFSET]] [--no-backup] "
    "[--keep-history N] [--keep-checksum] [--dry-run] [--yes]";
constexpr int kIndexLimit = 16;  // palette indices a tile pixel can hold

struct ImportAnswers {
  bool yes = false;      // answers the prompts that write (never with --dry-run)
  bool dry_run = false;
  bool repack = false;
  bool typed = false;
  std::string address;      // BANK:OFFSET, as typed into the write-position dialog
  std::string file_offset;  // six hexadecimal digits
};

// The prompts, answered from the flags.
class CliUi : public Ui {
 public:
  CliUi(const ImportAnswers& answers, Streams streams) : answers_(answers), streams_(streams) {}

  bool confirm(Prompt prompt, const std::string& text) override {
    show(prompt_title(prompt), text);
    if (prompt == Prompt::kRepack) {
      const bool repack = answers_.repack && answers_.yes;
      std::fprintf(streams_.out, "-> %s\n", repack ? "OK (--repack --yes)" : answer_without());
      if (answers_.repack && !answers_.yes) needs_yes_ = true;
      return repack;
    }
    std::fprintf(streams_.out, "-> %s\n", answers_.yes ? "OK (--yes)" : answer_without());
    if (!answers_.yes) needs_yes_ = true;
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
      if (!needs_yes_) {
        unanswered_ = "the block does not fit in place: give --repack, or --at BANK:OFFSET";
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

  // Why the command stopped at a prompt, when a missing flag other than --yes made it stop.
  const std::string& unanswered() const { return unanswered_; }
  // A prompt that writes was declined for want of --yes (or because of --dry-run).
  bool needs_yes() const { return needs_yes_; }

 private:
  void show(const std::string& title, const std::string& text) {
    std::fprintf(streams_.out, "[%s]\n%s\n", title.c_str(), to_unix_lines(text).c_str());
  }

  const char* answer_without() const {
    return answers_.dry_run ? "Cancel (--dry-run)" : "Cancel (no --yes)";
  }

  const ImportAnswers& answers_;
  Streams streams_;
  std::string unanswered_;
  bool needs_yes_ = false;
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

std::string hex6(long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%06llX", value);
  return text;
}

// The place --at names: the address (BANK:OFFSET, or six hexadecimal digits) and the file
// offset it lies at in this ROM (HiROM, past a copier header). --file-offset, when given, must
// name that same offset: the data goes to the file offset and the address into the pointer
// table, and two places that differ would leave a pointer to something else. False after one
// line on the error stream.
bool resolve_typed_place(const RomImage& image, const std::string& at_text,
                         const std::string* offset_text, ImportAnswers* answers,
                         Streams streams) {
  const long long address = parse_snes_address(at_text);
  if (address < 0) {
    fail(streams, "import", "--at takes an address as BANK:OFFSET (D6:8000) or six hexadecimal "
                            "digits, not '" + at_text + "'");
    return false;
  }
  const long long derived = image.file_offset(static_cast<int>(address >> 16),
                                              static_cast<int>(address & 0xFFFF));
  char where[32];
  std::snprintf(where, sizeof where, "%02X:%04X", static_cast<int>(address >> 16),
                static_cast<int>(address & 0xFFFF));
  if (!image.contains(derived, 1)) {
    fail(streams, "import", std::string("--at ") + where + " lies outside the ROM file (file "
                            "offset " + hex6(derived) + ", the file has " +
                            hex6(image.size()) + " bytes)");
    return false;
  }
  if (offset_text != nullptr) {
    long long given = -1;
    if (!parse_id(*offset_text, &given) || !image.contains(given, 1)) {
      fail(streams, "import", "--file-offset " + *offset_text + " is not a position inside the "
                              "ROM file");
      return false;
    }
    if (given != derived) {
      fail(streams, "import", "--file-offset " + *offset_text + " is not where " + where +
                              " lies in this ROM (file offset " + hex6(derived) +
                              "); leave --file-offset out to take that one");
      return false;
    }
  }
  // Answered as a user would type them into the write-position dialog.
  answers->typed = true;
  answers->address = where;
  answers->file_offset = hex6(derived);
  return true;
}

// What the command reports for the result of Write Image Changes.
int report(const CommandResult& result, const CliUi& ui, const ImportAnswers& answers,
           const std::string& picture, int entry, const std::string& rom, Streams streams) {
  if (const auto shown = message_for(result)) {
    if (!shown->error()) {
      std::fprintf(streams.out, "[%s]\n%s\n", shown->title.c_str(),
                   to_unix_lines(shown->text).c_str());
    } else {
      return fail(streams, "import", shown->title + ": " + shown->text);
    }
  }
  if (!result.wrote()) {
    if (!ui.unanswered().empty()) {
      return fail(streams, "import", ui.unanswered() + "; nothing was written");
    }
    if (ui.needs_yes() && answers.dry_run) {
      std::fprintf(streams.out, "nothing written (--dry-run)\n");
      return kExitOk;
    }
    if (ui.needs_yes()) return fail(streams, "import", "nothing written: add --yes");
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

// The picture as indices of the entry's sheet. It is as large as export --sheet writes it, or as
// the window's Copy All Img (the whole sheet, 16 x 80 tiles) when the rows past the entry's tiles
// hold index 0 only. False after one line on the error stream.
bool picture_indices(const Picture& image, const Document& document, int entry,
                     const MappingOptions& mapping, PasteIndices* indices, Streams streams) {
  const SpriteWorkingSet& set = document.working_set();
  const IndexedImage sheet = sheet_picture(set);
  const bool whole_sheet = image.width == kSheetWidth && image.height == kSheetHeight;
  if (image.width != sheet.width || (image.height != sheet.height && !whole_sheet)) {
    char text[200];
    std::snprintf(text, sizeof text, "the picture is %s, but the tile sheet of entry %03X is %s "
                  "(as export --sheet writes it, or %s as Copy All Img copies it); nothing was "
                  "written",
                  size_text(image.width, image.height).c_str(), entry,
                  size_text(sheet.width, sheet.height).c_str(),
                  size_text(kSheetWidth, kSheetHeight).c_str());
    fail(streams, "import", text);
    return false;
  }
  // Matched by colour with the sheet's indices now deciding between repeated colours.
  const CommandResult mapped = map_pasted_picture(
      image, set.palette, {set.sheet, kSheetWidth, image.height, 0}, mapping, indices);
  if (mapped.status == CommandStatus::kOutsidePalette) {
    fail(streams, "import",
         mapped.detail + "; nothing was written (--nearest maps them to the nearest palette "
                         "colours)");
    return false;
  }
  if (mapped.failed()) {
    fail(streams, "import", mapped.detail + "; nothing was written");
    return false;
  }
  if (const auto notice = message_for(mapped)) {
    std::fprintf(streams.out, "%s\n", to_unix_lines(notice->text).c_str());
  }
  const size_t kept = static_cast<size_t>(sheet.width) * sheet.height;
  for (size_t i = kept; i < indices->indices.size(); ++i) {
    if (indices->indices[i] == 0) continue;
    char text[200];
    std::snprintf(text, sizeof text, "pixel (%d, %d) holds index %d, but the tiles of entry %03X "
                  "end at row %d: the rows below must hold index 0; nothing was written",
                  static_cast<int>(i % kSheetWidth), static_cast<int>(i / kSheetWidth),
                  indices->indices[i], entry, sheet.height - 1);
    fail(streams, "import", text);
    return false;
  }
  indices->indices.resize(kept);
  indices->height = sheet.height;
  return true;
}

}  // namespace

int cmd_import(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  int entry = -1;
  int weapon_palette = 0;
  if (!take_id(reader, "import", "--entry", kLastEntry, &entry, streams) ||
      !take_id(reader, "import", "--weapon-palette", kWeaponPaletteCount - 1, &weapon_palette,
               streams)) {
    return kExitUsage;
  }
  ImportAnswers answers;
  const bool yes = reader.take_flag("--yes");
  answers.dry_run = reader.take_flag("--dry-run");
  answers.yes = yes && !answers.dry_run;
  answers.repack = reader.take_flag("--repack");
  const bool no_backup = reader.take_flag("--no-backup");
  int keep_history = kDefaultHistoryKeep;
  if (!take_keep_history(reader, "import", &keep_history, streams)) return kExitUsage;
  const bool keep_checksum = reader.take_flag("--keep-checksum");
  std::string at_text, offset_text;
  const bool has_at = reader.take_value("--at", &at_text);
  const bool has_offset = reader.take_value("--file-offset", &offset_text);
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
  if (has_offset && !has_at) return usage(streams, "--file-offset goes with --at");
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
  document.rom().set_update_checksum(!keep_checksum);
  if (has_at && !resolve_typed_place(document.image(), at_text, has_offset ? &offset_text : nullptr,
                                     &answers, streams)) {
    return kExitFailure;
  }
  document.view().weapon_palette = weapon_palette;
  if (!load_document_entry("import", entry, &document, streams)) return kExitFailure;
  PasteIndices indices;
  if (!picture_indices(image, document, entry, mapping, &indices, streams)) return kExitFailure;
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
  return report(result, ui, answers, rest[1], entry, rest[0], streams);
}

}  // namespace vcv::cli
