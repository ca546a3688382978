// What the commands share: options taken as numbers, the ROM opened through the document as the
// window program opens it, outputs kept off the files a command reads, and text turned into what
// a terminal shows.
#pragma once

#include <string>
#include <vector>

#include "cli/cli.h"
#include "document/document.h"
#include "image/indexed_image.h"
#include "image/palette_mapping.h"
#include "rom/rom_outputs.h"

namespace vcv::cli {

// Takes "--NAME VALUE" as a count, size, offset or delay (decimal, or hexadecimal with 0x)
// within low..high. Absent, or without its value (the reader's error says so): keeps *value,
// true. Present but not a number in range: one line on the error stream, false.
bool take_number(ArgReader& reader, const std::string& command, const std::string& name,
                 long long low, long long high, int* value, Streams streams);
bool take_number(ArgReader& reader, const std::string& command, const std::string& name,
                 long long low, long long high, long long* value, Streams streams);
// The same for an id, hexadecimal as the program shows it (with or without 0x), 0..high.
bool take_id(ArgReader& reader, const std::string& command, const std::string& name,
             long long high, int* value, Streams streams);

// A SNES address as the tool prints it, "BANK:OFFSET" (D6:8000), or as up to six hexadecimal
// digits with or without 0x (D68000, 0xD68000); -1 when the text is neither.
long long parse_snes_address(const std::string& text);

// Takes "--map index|colour" (how an indexed picture with a colour table of its own is read)
// and "--nearest" (colours outside the palette take the nearest entries) into `options`. False,
// with the reason in *why, when --map names neither.
bool take_mapping_options(ArgReader& reader, MappingOptions* options, std::string* why);

// Opens the ROM (a copier header is skipped, as the window program does). False, with one line
// on the error stream saying why, when it cannot be opened.
bool open_document(const std::string& command, const std::string& path, Document* document,
                   Streams streams, bool read_only = true);

// Loads `entry` with the document's view state; false, with one line on the error stream, when
// its graphics cannot be decoded.
bool load_document_entry(const std::string& command, int entry, Document* document,
                         Streams streams);

// The tile sheet as export --sheet writes it: the rows that hold tiles, 8 pixel rows per 16
// tiles of tile data, at most the whole sheet, with the entry's palette.
IndexedImage sheet_picture(const SpriteWorkingSet& set);

// False, after one line on the error stream, when writing `output` would replace a file `guard`
// protects (the ROM being read, its backup or history, another input).
bool output_allowed(const OutputGuard& guard, const std::string& command,
                    const std::string& output, Streams streams);

// Texts of the panel use "\r\n"; the terminal gets "\n".
std::string to_unix_lines(const std::string& text);
// A multi-line text as one line, for the error stream.
std::string one_line(const std::string& text);
// Graphics numbers as the reports list them: "05, 1A".
std::string hex_list(const std::vector<int>& numbers);

// Takes --keep-history N (earlier backups kept in the ROM's history, 0 for none) into *keep,
// which holds the default otherwise. False, with one line on the error stream, for a bad number.
bool take_keep_history(ArgReader& reader, const std::string& command, int* keep,
                       Streams streams);
// What a write did besides (leftovers removed, the history moved on): "note: ..." lines.
void print_write_notes(const std::vector<std::string>& notes, Streams streams);

// One line on the error stream: "vantorchar COMMAND: TEXT"; returns kExitFailure.
int fail(Streams streams, const std::string& command, const std::string& text);

}  // namespace vcv::cli
