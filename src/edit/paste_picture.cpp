#include "edit/paste_picture.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "image/dib_header.h"
#include "image/dib_parse.h"
#include "image/picture_read.h"

namespace vcv {

namespace {

constexpr int kRgbaBytes = 4;

const ClipboardBlock* find_block(const ClipboardContents& contents, ClipboardFormat format) {
  for (const ClipboardBlock& block : contents.pictures) {
    if (block.format == format && !block.bytes.empty()) return &block;
  }
  return nullptr;
}

// The top-left `width` x `height` pixels of a picture (no larger than it), colour table kept.
Picture top_left(const Picture& picture, int width, int height) {
  Picture part;  // the colour table and kind, not the whole picture's pixels
  part.kind = picture.kind;
  part.colour_count = picture.colour_count;
  std::memcpy(part.colours, picture.colours, sizeof part.colours);
  std::memcpy(part.colour_alpha, picture.colour_alpha, sizeof part.colour_alpha);
  part.has_alpha = picture.has_alpha;
  part.width = width;
  part.height = height;
  const bool indexed = picture.kind == PictureKind::kIndexed;
  const size_t pixel_bytes = indexed ? 1 : kRgbaBytes;
  const std::vector<uint8_t>& source = indexed ? picture.indices : picture.rgba;
  std::vector<uint8_t>& rows = indexed ? part.indices : part.rgba;
  rows.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * pixel_bytes, 0);
  for (int y = 0; y < height; ++y) {
    std::memcpy(rows.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * pixel_bytes,
                source.data() +
                    static_cast<size_t>(y) * static_cast<size_t>(picture.width) * pixel_bytes,
                static_cast<size_t>(width) * pixel_bytes);
  }
  return part;
}

// The target's indices under the same top-left part.
std::vector<uint8_t> current_under(const PasteTarget& target, int width, int height) {
  std::vector<uint8_t> current(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  if (target.pixels == nullptr) return current;
  for (int y = 0; y < height; ++y) {
    std::memcpy(current.data() + static_cast<size_t>(y) * static_cast<size_t>(width),
                target.pixels + static_cast<size_t>(y) * static_cast<size_t>(target.width),
                static_cast<size_t>(width));
  }
  return current;
}

// An 8-bit CF_DIB as the program writes it: the indices as stored.
bool take_eight_bit_dib(const ClipboardBlock& block, const PasteTarget& target,
                        PasteIndices* out) {
  std::vector<uint8_t> pixels(target.dib_capacity, 0);
  DibInfo info;
  if (parse_dib(block.bytes.data(), block.bytes.size(), pixels.data(), pixels.size(), &info) !=
      kDibOk) {
    return false;
  }
  out->width = std::min(info.width, target.width);
  out->height = std::min(info.height, target.height);
  out->indices.resize(static_cast<size_t>(out->width) * static_cast<size_t>(out->height));
  for (int y = 0; y < out->height; ++y) {
    std::memcpy(out->indices.data() + static_cast<size_t>(y) * static_cast<size_t>(out->width),
                pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(info.width),
                static_cast<size_t>(out->width));
  }
  return true;
}

// A clipboard bitmap of 24 or 32 bits per pixel, uncompressed or with bit fields.
bool read_true_colour_dib(const ClipboardBlock& block, Picture* picture) {
  DibHeader header;
  if (read_dib_header(block.bytes.data(), block.bytes.size(), &header) != kDibHeaderOk) {
    return false;
  }
  if (header.bits != 24 && header.bits != 32) return false;
  if (header.compression != kDibCompressionNone &&
      header.compression != kDibCompressionBitFields) {
    return false;
  }
  std::string error;
  return read_dib_picture(block.bytes.data(), block.bytes.size(), picture, &error) &&
         picture->kind == PictureKind::kTrueColour;
}

}  // namespace

CommandResult map_pasted_picture(const Picture& picture,
                                 const uint16_t palette[kPastePaletteSize],
                                 const PasteTarget& target, const MappingOptions& options,
                                 PasteIndices* out) {
  const int width = std::min(picture.width, target.width);
  const int height = std::min(picture.height, target.height);
  if (width <= 0 || height <= 0) {
    return CommandResult(CommandStatus::kNoPicture, 0, "the picture is empty");
  }
  const Picture part = top_left(picture, width, height);
  const std::vector<uint8_t> current = current_under(target, width, height);
  PaletteMapping mapping = map_picture_to_palette(part, palette, current.data(), options);
  if (!mapping_accepted(mapping)) {
    out->outside = mapping.outside;
    return CommandResult(CommandStatus::kOutsidePalette, 0, outside_palette_message(mapping));
  }
  out->width = width;
  out->height = height;
  out->indices = std::move(mapping.indices);
  out->outside = OutsideColours();
  if (mapped_to_nearest(mapping)) {
    return CommandResult(CommandStatus::kPastedNearest, 0, nearest_colours_message(mapping));
  }
  switch (mapping.result) {
    case MappingResult::kRemappedByColour: return CommandResult(CommandStatus::kPastedByColour);
    case MappingResult::kIndicesOwnTable:
      return CommandResult(CommandStatus::kPastedOwnTable, 0, own_table_message(mapping));
    default: return CommandResult(CommandStatus::kDone);
  }
}

CommandResult take_clipboard_picture(const ClipboardContents& contents,
                                     const uint16_t palette[kPastePaletteSize],
                                     const PasteTarget& target, const MappingOptions& options,
                                     PasteIndices* out) {
  if (const ClipboardBlock* dib = find_block(contents, ClipboardFormat::kDib)) {
    if (take_eight_bit_dib(*dib, target, out)) return CommandResult(CommandStatus::kDone);
  }
  Picture picture;
  std::string error;
  if (const ClipboardBlock* png = find_block(contents, ClipboardFormat::kPng)) {
    if (read_png_picture(png->bytes.data(), png->bytes.size(), &picture, &error)) {
      return map_pasted_picture(picture, palette, target, options, out);
    }
  }
  for (ClipboardFormat format : {ClipboardFormat::kDibV5, ClipboardFormat::kDib}) {
    const ClipboardBlock* dib = find_block(contents, format);
    if (dib != nullptr && read_true_colour_dib(*dib, &picture)) {
      return map_pasted_picture(picture, palette, target, options, out);
    }
  }
  return CommandResult(CommandStatus::kNoPicture, 0, clipboard_format_list(contents.format_names));
}

std::string clipboard_format_list(const std::vector<std::string>& names) {
  if (names.empty()) return "it is empty";
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
  return list;
}

}  // namespace vcv
