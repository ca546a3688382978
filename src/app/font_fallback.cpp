#include "app/font_fallback.h"

#include <algorithm>

#include "platform/text_encoding.h"

namespace vcv {
namespace {

// Faces a system lists under their Japanese name or their English one, by its language.
const char* const kOtherLanguageNames[][2] = {
    {"ＭＳ ゴシック", "MS Gothic"},
    {"ＭＳ Ｐゴシック", "MS PGothic"},
    {"メイリオ", "Meiryo"},
    {"游ゴシック", "Yu Gothic"},
};

// The Japanese user-interface faces of Windows, most alike to the dialogs' own first.
const char* const kPreferredFaces[] = {"MS UI Gothic", "Meiryo UI", "Meiryo", "Yu Gothic UI",
                                       "Yu Gothic"};

// The one fixed-pitch face the program's dialogs name; the others are proportional.
const char kFixedPitchFace[] = "MS Gothic";

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Face names are compared as Windows does: without regard to the case of Latin letters.
bool same_name(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return ascii_lower(x) == ascii_lower(y); });
}

bool same_face(const std::string& a, const std::string& b) {
  if (same_name(a, b)) return true;
  for (const auto& names : kOtherLanguageNames) {
    if ((same_name(a, names[0]) && same_name(b, names[1])) ||
        (same_name(a, names[1]) && same_name(b, names[0]))) {
      return true;
    }
  }
  return false;
}

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// ---- dialog templates ----

constexpr uint32_t kSetFontStyle = 0x40;  // DS_SETFONT; DS_SHELLFONT includes it
constexpr uint16_t kExtendedVersion = 1;
constexpr uint16_t kExtendedSignature = 0xFFFF;
constexpr uint16_t kNumberMark = 0xFFFF;  // a resource number follows instead of a name

// Reads the little-endian fields of a template; past the end it reads zeros and stays failed.
class TemplateReader {
 public:
  explicit TemplateReader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  size_t position() const { return at_; }

  uint8_t byte() {
    if (!ok_ || at_ >= bytes_.size()) return fail();
    return bytes_[at_++];
  }
  uint16_t word() {
    const uint16_t low = byte();
    return static_cast<uint16_t>(low | byte() << 8);
  }
  uint32_t dword() {
    const uint32_t low = word();
    return low | static_cast<uint32_t>(word()) << 16;
  }
  void skip(size_t count) {
    if (count > bytes_.size() - std::min(at_, bytes_.size())) fail();
    at_ += count;
  }
  // Items start on 4-byte boundaries from the template's start.
  void align() { skip(((at_ + 3) & ~size_t{3}) - at_); }

  std::u16string text() {
    std::u16string out;
    for (uint16_t c = word(); ok_ && c != 0; c = word()) out.push_back(static_cast<char16_t>(c));
    return out;
  }
  // A menu, class or caption: none (0), a resource number (FFFF and the number; given back as
  // none), or a name.
  std::u16string name_or_number() {
    const size_t start = at_;
    const uint16_t first = word();
    if (first == 0) return std::u16string();
    if (first == kNumberMark) {
      word();
      return std::u16string();
    }
    at_ = start;
    return text();
  }

 private:
  uint8_t fail() {
    ok_ = false;
    return 0;
  }

  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

struct TemplateHeader {
  uint32_t style = 0;
  int item_count = 0;
  std::u16string title;
  std::optional<DialogTemplateFont> font;
  size_t face_start = 0;  // where the face name's characters begin
  size_t face_end = 0;    // just past its terminating zero
};

// Reads the header up to the face name; false when it is not an extended template.
bool read_header(TemplateReader& reader, TemplateHeader* header) {
  const uint16_t version = reader.word();
  const uint16_t signature = reader.word();
  if (version != kExtendedVersion || signature != kExtendedSignature) return false;
  reader.dword();  // help id
  reader.dword();  // extended style
  header->style = reader.dword();
  header->item_count = reader.word();
  reader.skip(4 * 2);  // x, y, width, height
  reader.name_or_number();  // menu
  reader.name_or_number();  // window class
  header->title = reader.text();
  if (header->style & kSetFontStyle) {
    DialogTemplateFont font;
    font.point_size = reader.word();
    font.weight = reader.word();
    reader.byte();  // italic
    font.charset = reader.byte();
    header->face_start = reader.position();
    font.face = utf16_to_utf8(reader.text());
    header->face_end = reader.position();
    header->font = font;
  }
  return reader.ok();
}

void append_utf16(const std::u16string& text, std::vector<uint8_t>* out) {
  for (char16_t c : text) {
    out->push_back(static_cast<uint8_t>(c & 0xFF));
    out->push_back(static_cast<uint8_t>(c >> 8));
  }
  out->push_back(0);
  out->push_back(0);
}

}  // namespace

std::string choose_dialog_face(const std::string& wanted,
                               const std::vector<FaceCoverage>& installed) {
  for (const FaceCoverage& face : installed) {
    if (same_face(face.name, wanted)) return wanted;
  }
  for (const char* preferred : kPreferredFaces) {
    for (const FaceCoverage& face : installed) {
      if (face.has_all_glyphs && same_face(face.name, preferred)) return face.name;
    }
  }
  const bool fixed_pitch_wanted = same_face(wanted, kFixedPitchFace);
  for (bool same_pitch : {true, false}) {
    for (const FaceCoverage& face : installed) {
      const bool vertical = !face.name.empty() && face.name[0] == '@';
      if (face.has_all_glyphs && !vertical &&
          (!same_pitch || face.fixed_pitch == fixed_pitch_wanted)) {
        return face.name;
      }
    }
  }
  return wanted;
}

std::vector<std::string> linked_faces(const std::vector<std::string>& link_entries) {
  std::vector<std::string> faces;
  for (const std::string& entry : link_entries) {
    const size_t comma = entry.find(',');
    if (comma == std::string::npos) continue;
    const size_t end = entry.find(',', comma + 1);
    const std::string face =
        trimmed(entry.substr(comma + 1, end == std::string::npos ? std::string::npos
                                                                  : end - comma - 1));
    if (!face.empty()) faces.push_back(face);
  }
  return faces;
}

std::u16string glyph_sample(const std::string& text) {
  std::u16string sample;
  for (char16_t c : utf8_to_utf16(text)) {
    const bool control = c < 0x20 || c == 0x7F;
    // Half a surrogate pair has no glyph of its own: a glyph check cannot judge it.
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    if (!control && !surrogate && sample.find(c) == std::u16string::npos) sample.push_back(c);
  }
  return sample;
}

std::optional<DialogTemplateFont> dialog_template_font(const std::vector<uint8_t>& bytes) {
  TemplateReader reader(bytes);
  TemplateHeader header;
  if (!read_header(reader, &header)) return std::nullopt;
  return header.font;
}

std::vector<uint8_t> with_dialog_template_face(const std::vector<uint8_t>& bytes,
                                               const std::string& face) {
  TemplateReader reader(bytes);
  TemplateHeader header;
  if (!read_header(reader, &header) || !header.font) return {};
  std::vector<uint8_t> out(bytes.begin(), bytes.begin() + header.face_start);
  append_utf16(utf8_to_utf16(face), &out);
  while (out.size() % 4 != 0) out.push_back(0);
  const size_t items = std::min(bytes.size(), (header.face_end + 3) & ~size_t{3});
  out.insert(out.end(), bytes.begin() + items, bytes.end());
  return out;
}

std::vector<std::string> dialog_template_texts(const std::vector<uint8_t>& bytes) {
  TemplateReader reader(bytes);
  TemplateHeader header;
  if (!read_header(reader, &header)) return {};
  std::vector<std::string> texts;
  if (!header.title.empty()) texts.push_back(utf16_to_utf8(header.title));
  for (int i = 0; i < header.item_count; ++i) {
    reader.align();
    reader.skip(3 * 4 + 4 * 2 + 4);  // help id, styles, x, y, width, height, id
    reader.name_or_number();         // window class
    const std::u16string caption = reader.name_or_number();
    reader.skip(reader.word());      // creation data
    if (!reader.ok()) return {};
    if (!caption.empty()) texts.push_back(utf16_to_utf8(caption));
  }
  return texts;
}

}  // namespace vcv
