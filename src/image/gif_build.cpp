#include "image/gif_build.h"

#include "giflib/gif_lib.h"
#include "image/picture.h"

namespace vcv {

namespace {

constexpr int kColourResolution = 8;  // bits per primary of the colour table
constexpr int kTransparentIndex = 0;
constexpr int kGraphicsControlSize = 4;
constexpr GifByteType kLoopExtensionName[] = "NETSCAPE2.0";
constexpr int kLoopExtensionNameSize = 11;
constexpr GifByteType kLoopForever[] = {1, 0, 0};  // sub-block 1, loop count 0: for ever

int append_output(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), bytes, bytes + count);
  return count;
}

// The colour table is a power of two long; the colours past colour_count are black.
int table_size_for(int colour_count) {
  int size = 2;
  while (size < colour_count) size *= 2;
  return size;
}

bool arguments_usable(const std::vector<std::vector<uint8_t>>& frames, int width, int height,
                      const uint32_t* colours, int colour_count, int delay) {
  if (frames.empty() || colours == nullptr || width <= 0 || height <= 0 || width > 0xFFFF ||
      height > 0xFFFF || colour_count < 2 || colour_count > kGifMaxColours || delay < 0 ||
      delay > kGifMaxDelay ||
      static_cast<long long>(width) * height * static_cast<long long>(frames.size()) >
          kMaxPicturePixels) {
    return false;
  }
  for (const std::vector<uint8_t>& frame : frames) {
    if (frame.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) return false;
    for (uint8_t index : frame) {
      if (index >= colour_count) return false;
    }
  }
  return true;
}

// Everything after the screen descriptor; false on the first failed call.
bool put_frames(GifFileType* gif, const std::vector<std::vector<uint8_t>>& frames, int width,
                int height, int delay) {
  if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
      EGifPutExtensionBlock(gif, kLoopExtensionNameSize, kLoopExtensionName) != GIF_OK ||
      EGifPutExtensionBlock(gif, sizeof kLoopForever, kLoopForever) != GIF_OK ||
      EGifPutExtensionTrailer(gif) != GIF_OK) {
    return false;
  }
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_BACKGROUND;  // each frame replaces the last, none piles up
  control.UserInputFlag = false;
  control.DelayTime = delay;
  control.TransparentColor = kTransparentIndex;
  GifByteType extension[kGraphicsControlSize];
  EGifGCBToExtension(&control, extension);
  std::vector<GifPixelType> row(static_cast<size_t>(width));
  for (const std::vector<uint8_t>& frame : frames) {
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, kGraphicsControlSize, extension) !=
            GIF_OK ||
        EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) != GIF_OK) {
      return false;
    }
    for (int y = 0; y < height; ++y) {
      const uint8_t* source = frame.data() + static_cast<size_t>(y) * width;
      row.assign(source, source + width);
      if (EGifPutLine(gif, row.data(), width) != GIF_OK) return false;
    }
  }
  return true;
}

}  // namespace

std::vector<uint8_t> build_animated_gif(const std::vector<std::vector<uint8_t>>& frames,
                                        int width, int height, const uint32_t* colours,
                                        int colour_count, int delay) {
  if (!arguments_usable(frames, width, height, colours, colour_count, delay)) return {};
  std::vector<GifColorType> table(static_cast<size_t>(table_size_for(colour_count)));
  for (int i = 0; i < colour_count; ++i) {
    table[static_cast<size_t>(i)].Red = static_cast<GifByteType>(colours[i]);
    table[static_cast<size_t>(i)].Green = static_cast<GifByteType>(colours[i] >> 8);
    table[static_cast<size_t>(i)].Blue = static_cast<GifByteType>(colours[i] >> 16);
  }
  ColorMapObject* map = GifMakeMapObject(static_cast<int>(table.size()), table.data());
  if (map == nullptr) return {};
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, append_output, &error);
  if (gif == nullptr) {
    GifFreeMapObject(map);
    return {};
  }
  EGifSetGifVersion(gif, true);
  bool ok = EGifPutScreenDesc(gif, width, height, kColourResolution, kTransparentIndex, map) ==
                GIF_OK &&
            put_frames(gif, frames, width, height, delay);
  GifFreeMapObject(map);  // the encoder keeps a copy of its own
  ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  if (!ok) return {};
  return out;
}

}  // namespace vcv
