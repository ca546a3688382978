#include "app/readable_dialogs.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "app/font_fallback.h"
#include "app/message_box.h"
#include "edit/command_messages.h"
#include "platform/text_encoding.h"

namespace vcv {
namespace {

constexpr LONG kProbeHeight = -12;  // a face has the same glyphs at every size
const wchar_t kSystemLinkKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink";

// The Japanese texts the program shows besides those of its dialog templates: the range labels'
// full-width tilde and the messages of Write Image Changes.
std::string runtime_japanese_texts() {
  std::string texts = "00～FF";
  texts += kSizeOverTitle + size_over_text(0, 0);
  texts += kRepackFailureTitle + repack_failure_text(1);
  texts += std::string(kAddressErrorTitle) + kAddressErrorText;
  if (const auto repacked = message_for(CommandResult(CommandStatus::kRepacked))) {
    texts += repacked->title + repacked->text;
  }
  return texts;
}

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

class FontHandle {
 public:
  explicit FontHandle(const LOGFONTW& font) : font_(CreateFontIndirectW(&font)) {}
  ~FontHandle() {
    if (font_ != nullptr) DeleteObject(font_);
  }
  FontHandle(const FontHandle&) = delete;
  FontHandle& operator=(const FontHandle&) = delete;
  HFONT get() const { return font_; }

 private:
  HFONT font_;
};

LOGFONTW font_with_face(LOGFONTW font, const std::wstring& face, BYTE charset) {
  const size_t length = std::min(face.size(), static_cast<size_t>(LF_FACESIZE - 1));
  std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), L'\0');
  std::copy(face.begin(), face.begin() + static_cast<std::ptrdiff_t>(length), font.lfFaceName);
  font.lfCharSet = charset;
  return font;
}

LOGFONTW probe_font(const std::wstring& face, BYTE charset) {
  LOGFONTW font = {};
  font.lfHeight = kProbeHeight;
  return font_with_face(font, face, charset);
}

// The characters of `sample` the font has no glyph for (all of them when it cannot be asked).
std::u16string missing_glyphs(HDC dc, HFONT font, const std::u16string& sample) {
  if (sample.empty() || font == nullptr) return sample;
  const std::wstring text(sample.begin(), sample.end());
  std::vector<WORD> glyphs(text.size());
  HGDIOBJ old = SelectObject(dc, font);
  const DWORD result = GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()),
                                        glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
  SelectObject(dc, old);
  if (result == GDI_ERROR) return sample;
  std::u16string missing;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    if (glyphs[i] == 0xFFFF) missing.push_back(sample[i]);
  }
  return missing;
}

// The mapper gives a font whose face is missing some other face: only the name it reports tells.
bool is_installed_face(HDC dc, HFONT font, const std::wstring& face) {
  wchar_t got[LF_FACESIZE] = {};
  HGDIOBJ old = SelectObject(dc, font);
  GetTextFaceW(dc, LF_FACESIZE, got);
  SelectObject(dc, old);
  return _wcsicmp(got, face.c_str()) == 0;
}

struct Family {
  std::wstring name;
  bool fixed_pitch;
};

int CALLBACK collect_family(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD,
                            LPARAM families) {
  auto* list = reinterpret_cast<std::vector<Family>*>(families);
  const auto same_name = [&](const Family& f) { return f.name == font->lfFaceName; };
  if (std::none_of(list->begin(), list->end(), same_name)) {
    // The flag is named for the opposite of what it means: set, the pitch is variable.
    list->push_back({font->lfFaceName, (metrics->tmPitchAndFamily & TMPF_FIXED_PITCH) == 0});
  }
  return 1;
}

// The faces installed for the Japanese character set, in the system's order, with their pitch and
// whether they have every glyph of `sample`.
std::vector<FaceCoverage> japanese_faces(HDC dc, const std::u16string& sample) {
  std::vector<Family> families;
  LOGFONTW query = {};
  query.lfCharSet = SHIFTJIS_CHARSET;
  EnumFontFamiliesExW(dc, &query, collect_family, reinterpret_cast<LPARAM>(&families), 0);
  std::vector<FaceCoverage> faces;
  for (const Family& family : families) {
    FontHandle font(probe_font(family.name, SHIFTJIS_CHARSET));
    faces.push_back({wide_to_utf8(family.name), missing_glyphs(dc, font.get(), sample).empty(),
                     family.fixed_pitch});
  }
  return faces;
}

std::wstring face_for(const std::wstring& wanted, const std::string& texts) {
  ScreenDc dc;
  const std::vector<FaceCoverage> faces = japanese_faces(dc.get(), glyph_sample(texts));
  return utf8_to_wide(choose_dialog_face(wide_to_utf8(wanted), faces));
}

// The entries of the system's font-link list for `face`: the faces that draw what it lacks.
std::vector<std::string> system_link_entries(const wchar_t* face) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSystemLinkKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return {};
  }
  DWORD type = 0;
  DWORD size = 0;
  std::vector<wchar_t> data;
  if (RegQueryValueExW(key, face, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    data.resize(size / sizeof(wchar_t) + 2, L'\0');  // room for missing terminators
    if (RegQueryValueExW(key, face, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
      data.clear();
    }
  }
  RegCloseKey(key);
  std::vector<std::string> entries;
  for (const wchar_t* entry = data.data(); !data.empty() && *entry != L'\0';
       entry += std::wcslen(entry) + 1) {
    entries.push_back(wide_to_utf8(entry));
  }
  return entries;
}

// True when every character of `text` has a glyph in the message font or in an installed face
// the system links to it (the system's boxes draw with both).
bool system_box_shows(const LOGFONTW& message_font, const std::wstring& text) {
  ScreenDc dc;
  FontHandle own(message_font);
  std::u16string missing = missing_glyphs(dc.get(), own.get(), glyph_sample(wide_to_utf8(text)));
  for (const std::string& face : linked_faces(system_link_entries(message_font.lfFaceName))) {
    if (missing.empty()) break;
    const std::wstring name = utf8_to_wide(face);
    FontHandle linked(font_with_face(message_font, name, DEFAULT_CHARSET));
    if (is_installed_face(dc.get(), linked.get(), name)) {
      missing = missing_glyphs(dc.get(), linked.get(), missing);
    }
  }
  return missing.empty();
}

std::vector<uint8_t> dialog_resource(HINSTANCE instance, int template_id) {
  HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(template_id), RT_DIALOG);
  HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
  const auto* data = loaded != nullptr ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (data == nullptr) return {};
  return std::vector<uint8_t>(data, data + SizeofResource(instance, found));
}

// The dialog's template naming a face that shows its texts; empty when the face it names will do
// (or it cannot be read) and the resource is used as it is. The copy is 4-byte aligned, as
// templates must be: a vector's storage comes from operator new.
std::vector<uint8_t> readable_template(HINSTANCE instance, int template_id) {
  const std::vector<uint8_t> original = dialog_resource(instance, template_id);
  const std::optional<DialogTemplateFont> font = dialog_template_font(original);
  if (!font) return {};
  std::string texts = runtime_japanese_texts();
  for (const std::string& text : dialog_template_texts(original)) texts += text;
  const std::wstring wanted = utf8_to_wide(font->face);
  const std::wstring face = face_for(wanted, texts);
  if (face == wanted) return {};
  return with_dialog_template_face(original, wide_to_utf8(face));
}

}  // namespace

HWND create_readable_dialog(HINSTANCE instance, int template_id, HWND parent, DLGPROC procedure,
                            LPARAM parameter) {
  const std::vector<uint8_t> readable = readable_template(instance, template_id);
  if (readable.empty()) {
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(template_id), parent, procedure,
                              parameter);
  }
  return CreateDialogIndirectParamW(instance,
                                    reinterpret_cast<LPCDLGTEMPLATEW>(readable.data()), parent,
                                    procedure, parameter);
}

INT_PTR run_readable_dialog(HINSTANCE instance, int template_id, HWND owner, DLGPROC procedure,
                            LPARAM parameter) {
  const std::vector<uint8_t> readable = readable_template(instance, template_id);
  if (readable.empty()) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(template_id), owner, procedure, parameter);
  }
  return DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(readable.data()),
                                 owner, procedure, parameter);
}

int show_readable_message_box(HWND owner, const std::wstring& text, const std::wstring& title,
                              UINT type) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  const bool own_kind = type == MB_OK || type == MB_OKCANCEL;
  if (own_kind && SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) &&
      !system_box_shows(metrics.lfMessageFont, text)) {
    const std::wstring wanted = metrics.lfMessageFont.lfFaceName;
    const std::wstring face = face_for(wanted, wide_to_utf8(text));
    if (face != wanted) {
      return show_own_message_box(owner, text, title, type == MB_OKCANCEL,
                                  font_with_face(metrics.lfMessageFont, face, SHIFTJIS_CHARSET));
    }
  }
  return MessageBoxW(owner, text.c_str(), title.c_str(), type);
}

}  // namespace vcv
