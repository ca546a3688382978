// Arbitrary bytes as what a paste finds on the clipboard: byte 0 names the format of the block
// (low two bits: CF_DIB, CF_DIBV5, "PNG") and whether the nearest colours are taken (bit 2),
// bytes 1 to 32 the 16 palette words, the rest the block. Whatever the block holds, the paste
// must choose, read and match it without a step outside its bytes, and give indices only over
// the 16 x 16 it writes into, or a refusal with its reason and nothing written.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "edit/paste_picture.h"
#include "fuzz_target.h"
#include "image/dib_parse.h"

VCV_FUZZ_TARGET(fuzz_paste_picture) {
  constexpr size_t kPaletteBytes = 2 * vcv::kPastePaletteSize;
  if (size < 1 + kPaletteBytes) return 0;
  static const vcv::ClipboardFormat kFormats[] = {
      vcv::ClipboardFormat::kDib, vcv::ClipboardFormat::kDibV5, vcv::ClipboardFormat::kPng,
      vcv::ClipboardFormat::kPng};
  const vcv::ClipboardFormat format = kFormats[data[0] & 3];
  uint16_t palette[vcv::kPastePaletteSize];
  for (int i = 0; i < vcv::kPastePaletteSize; ++i) {
    palette[i] = static_cast<uint16_t>(data[1 + 2 * i] | (data[2 + 2 * i] << 8));
  }
  vcv::ClipboardContents contents;
  contents.pictures.push_back({format, std::vector<uint8_t>(data + 1 + kPaletteBytes, data + size)});
  contents.format_names = {"format"};

  constexpr int kSide = 16;
  uint8_t current[kSide * kSide];
  for (int i = 0; i < kSide * kSide; ++i) current[i] = static_cast<uint8_t>(i % 16);
  vcv::PasteIndices out;
  vcv::MappingOptions options;
  options.nearest = (data[0] & 4) != 0;
  const vcv::CommandResult result = vcv::take_clipboard_picture(
      contents, palette, {current, kSide, kSide, vcv::kPasteSpriteScratch}, options, &out);
  switch (result.status) {
    case vcv::CommandStatus::kDone:
    case vcv::CommandStatus::kPastedByColour:
    case vcv::CommandStatus::kPastedOwnTable:
    case vcv::CommandStatus::kPastedNearest:
      VCV_FUZZ_CHECK(out.width >= 1 && out.width <= kSide);
      VCV_FUZZ_CHECK(out.height >= 1 && out.height <= kSide);
      VCV_FUZZ_CHECK(out.indices.size() == static_cast<size_t>(out.width * out.height));
      // Only the 8-bit bitmap path and a PNG's own colour table keep indices beyond the
      // palette's 16.
      if (format != vcv::ClipboardFormat::kDib &&
          result.status != vcv::CommandStatus::kPastedOwnTable) {
        for (uint8_t index : out.indices) VCV_FUZZ_CHECK(index < vcv::kPastePaletteSize);
      }
      break;
    case vcv::CommandStatus::kOutsidePalette:
      VCV_FUZZ_CHECK(!options.nearest);
      VCV_FUZZ_CHECK(!result.detail.empty() && out.indices.empty() && out.width == 0);
      VCV_FUZZ_CHECK(out.outside.pixels > 0);
      break;
    case vcv::CommandStatus::kNoPicture:
      VCV_FUZZ_CHECK(result.detail == "format" && out.indices.empty());
      break;
    default:
      vcv::fuzz::fail("a status the paste never gives");
  }
  return 0;
}
