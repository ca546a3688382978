// The face the program's dialogs are shown with when the one they name is not installed (a fresh
// Wine prefix, a Windows without the Japanese fonts), so that their Japanese texts show as text
// rather than boxes; and the dialog templates rewritten to name it. Portable: the window program
// gathers what is installed and which faces have the glyphs (readable_dialogs.cpp), this part
// decides and rewrites bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vcv {

// An installed face, under the name the system lists it by, whether it has a glyph for every
// character of the texts it is to show, and whether all its characters have one width. Names are
// UTF-8.
struct FaceCoverage {
  std::string name;
  bool has_all_glyphs = false;
  bool fixed_pitch = false;
};

// The face a dialog that names `wanted` is shown with, given the faces installed for the
// Japanese character set in the system's order:
// - `wanted` itself when it is installed, under that name or its other-language name (a system
//   in English lists "ＭＳ ゴシック" as "MS Gothic");
// - else the first installed face with every glyph in this order of preference: MS UI Gothic,
//   Meiryo UI, Meiryo, Yu Gothic UI, Yu Gothic (under their English or Japanese names);
// - else the first other installed face with every glyph, except the "@" faces (the same faces
//   turned for vertical writing), of the pitch of `wanted` if there is one (dialog units follow
//   the face's width: a fixed-pitch face in place of a proportional one cuts the labels);
// - else `wanted`: nothing installed shows the texts better.
std::string choose_dialog_face(const std::string& wanted, const std::vector<FaceCoverage>& installed);

// The faces a font-link list names: the system links a face to others that draw the characters
// it lacks, one entry per face as "FILE,FACE" with optional scaling numbers after it. Entries that
// name a file only are left out (nothing says which face of the file is meant).
std::vector<std::string> linked_faces(const std::vector<std::string>& link_entries);

// The characters a glyph check looks at: `text` without control characters (line breaks have no
// glyph in any face) and without repeats.
std::u16string glyph_sample(const std::string& text);

// ---- dialog templates (the extended form, DIALOGEX, as the resource compiler writes it) ----

struct DialogTemplateFont {
  int point_size = 0;
  int weight = 0;
  int charset = 0;
  std::string face;
};

// The font a template names; none when it is not an extended template with DS_SETFONT or is cut
// short.
std::optional<DialogTemplateFont> dialog_template_font(const std::vector<uint8_t>& bytes);

// A copy of the template naming `face` instead, everything else as it was (the controls keep
// their 4-byte alignment); empty when the template names no font or is cut short.
std::vector<uint8_t> with_dialog_template_face(const std::vector<uint8_t>& bytes,
                                               const std::string& face);

// The title and the captions of the controls (captions given as resource numbers left out);
// empty when the template is not an extended one or is cut short.
std::vector<std::string> dialog_template_texts(const std::vector<uint8_t>& bytes);

}  // namespace vcv
