// The face the dialogs fall back to when the one they name is missing, the font-link entries the
// message boxes consult, and dialog templates rewritten to name another face.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/font_fallback.h"
#include "platform/text_encoding.h"

namespace vcv {
namespace {

TEST(FontFallback, KeepsTheNamedFaceElseThePreferredElseAnyWithTheGlyphs) {
  const struct {
    const char* wanted;
    std::vector<FaceCoverage> installed;
    const char* chosen;
  } cases[] = {
      {"ＭＳ ゴシック", {{"IPAGothic", true}, {"ＭＳ ゴシック", false}}, "ＭＳ ゴシック"},
      // A system in English lists the face by its English name, in any case.
      {"ＭＳ Ｐゴシック", {{"IPAGothic", true}, {"ms pgothic", true}}, "ＭＳ Ｐゴシック"},
      {"ＭＳ ゴシック", {{"MS PGothic", true}, {"IPAGothic", true}}, "MS PGothic"},
      // Preferred faces in their order, only with every glyph; the order of listing aside.
      {"ＭＳ ゴシック",
       {{"IPAGothic", true}, {"Yu Gothic", true}, {"メイリオ", true}, {"MS UI Gothic", false}},
       "メイリオ"},
      {"ＭＳ ゴシック", {{"游ゴシック", true}, {"Meiryo UI", true}}, "Meiryo UI"},
      {"ＭＳ ゴシック", {{"IPAGothic", true}, {"游ゴシック", true}}, "游ゴシック"},
      {"ＭＳ ゴシック", {{"Yu Gothic", true}, {"MS UI Gothic", true}}, "MS UI Gothic"},
      // Then the first face with the glyphs and the pitch of the named one, never a vertical
      // one; then one of the other pitch.
      {"ＭＳ ゴシック",
       {{"@IPAGothic", true, true}, {"Partial", false, true}, {"IPAPGothic", true, false},
        {"IPAGothic", true, true}},
       "IPAGothic"},
      {"ＭＳ Ｐゴシック", {{"IPAGothic", true, true}, {"IPAPGothic", true, false}}, "IPAPGothic"},
      // Nothing better installed.
      {"ＭＳ ゴシック", {{"@IPAGothic", true}, {"Partial", false}}, "ＭＳ ゴシック"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(choose_dialog_face(c.wanted, c.installed), c.chosen)
        << c.wanted << " with " << c.installed.size() << " faces, first "
        << (c.installed.empty() ? "" : c.installed[0].name);
  }
}

TEST(FontFallback, LinkedFacesAreTheFaceFieldOfEachEntry) {
  EXPECT_EQ(linked_faces({"MSGOTHIC.TTC,MS UI Gothic", "SIMSUN.TTC", "MEIRYO.TTC,Meiryo,128,96",
                          "GULIM.TTC, Gulim ", "EMPTY.TTF,", "SEGUISYM.TTF,Segoe UI Symbol"}),
            (std::vector<std::string>{"MS UI Gothic", "Meiryo", "Gulim", "Segoe UI Symbol"}));
}

TEST(FontFallback, GlyphSampleLeavesOutControlsRepeatsAndSurrogates) {
  EXPECT_EQ(glyph_sample("失敗\r\n失敗しました。\t 00～0E\x7F"),
            u"失敗しまた。 0～E");
  EXPECT_EQ(glyph_sample("a\xF0\x9F\x98\x80" "b"), u"ab");  // U+1F600 as a surrogate pair
}

// ---- dialog templates ----

void put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value & 0xFF));
  out.push_back(static_cast<uint8_t>(value >> 8 & 0xFF));
}
void put_text(std::vector<uint8_t>& out, const std::u16string& text) {
  for (char16_t c : text) put16(out, c);
  put16(out, 0);
}

// An extended template as the resource compiler lays it out, with three controls: a static with
// a caption, one whose caption is a resource number, and one with 6 bytes of creation data.
std::vector<uint8_t> dialog_template(const std::u16string& face, bool with_font = true) {
  std::vector<uint8_t> out;
  // Version, signature, help id, extended style, style, count, place, no menu, the dialog class.
  const uint32_t header[] = {1, 0xFFFF, 0, 0, 0, 0, with_font ? 0x40u : 0u, 0x80C8,
                             3, 0,      10, 20, 30, 0, 0};
  for (uint32_t word : header) put16(out, word);
  put_text(out, u"チップイメージの書き込み位置");
  if (with_font) {
    for (uint32_t word : {9, 400, 0x8000}) put16(out, word);  // points, weight, italic, charset
    put_text(out, face);
  }
  const std::u16string captions[] = {u"プログラム上のアドレス", u"", u"OK"};
  for (const std::u16string& caption : captions) {
    while (out.size() % 4 != 0) out.push_back(0);
    // Help id, extended style, style, place, id, the static class.
    const uint32_t control[] = {0, 0, 0, 0, 0, 0x5000, 5, 6, 7, 8, 1032, 0, 0xFFFF, 0x0082};
    for (uint32_t word : control) put16(out, word);
    if (caption.empty()) {
      put16(out, 0xFFFF);
      put16(out, 7);
    } else {
      put_text(out, caption);
    }
    const uint16_t extra = caption == u"OK" ? 6 : 0;
    put16(out, extra);
    out.insert(out.end(), extra, 0xEE);
  }
  return out;
}

TEST(DialogTemplate, ReadsTheFontAndTheTexts) {
  const std::vector<uint8_t> bytes = dialog_template(u"ＭＳ Ｐゴシック");
  const auto font = dialog_template_font(bytes);
  ASSERT_TRUE(font.has_value());
  EXPECT_EQ(font->point_size, 9);
  EXPECT_EQ(font->weight, 400);
  EXPECT_EQ(font->charset, 0x80);
  EXPECT_EQ(font->face, "ＭＳ Ｐゴシック");
  EXPECT_EQ(dialog_template_texts(bytes),
            (std::vector<std::string>{"チップイメージの書き込み位置", "プログラム上のアドレス", "OK"}));
}

// Faces of every length modulo 4 move the controls by different amounts; they must land on the
// 4-byte boundaries a template built with that face has.
TEST(DialogTemplate, NamingAnotherFaceChangesOnlyTheFace) {
  const std::vector<uint8_t> original = dialog_template(u"ＭＳ Ｐゴシック");
  for (const std::u16string face : {u"メイリオ", u"IPAGothic", u"Some Rather Long Face Name"}) {
    EXPECT_EQ(with_dialog_template_face(original, utf16_to_utf8(face)), dialog_template(face))
        << utf16_to_utf8(face);
  }
}

TEST(DialogTemplate, CutShortOrWithoutAFontGivesNothing) {
  const std::vector<uint8_t> whole = dialog_template(u"IPAGothic");
  for (size_t size = 0; size < whole.size(); ++size) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
    EXPECT_TRUE(dialog_template_texts(cut).empty()) << size;
    // The face name is whole from 86 bytes on: 26 of fixed fields, 4 for menu and class, 30 for
    // the title, 6 for size, weight, italic and character set, 20 for "IPAGothic".
    EXPECT_EQ(dialog_template_font(cut).has_value(), size >= 86) << size;
    EXPECT_EQ(with_dialog_template_face(cut, "X").empty(), size < 86) << size;
  }
  const std::vector<uint8_t> fontless = dialog_template(u"", false);
  EXPECT_TRUE(!dialog_template_font(fontless) && with_dialog_template_face(fontless, "A").empty());
  EXPECT_EQ(dialog_template_texts(fontless).size(), 3u);
}

}  // namespace
}  // namespace vcv
