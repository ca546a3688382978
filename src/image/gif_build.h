// An animated GIF as the tool writes it: frames of palette indices of one size, one colour table
// for all, index 0 transparent, each frame cleared before the next is drawn, looping forever.
// Pure bytes out, made with giflib's encoder.
#pragma once

#include <cstdint>
#include <vector>

namespace vcv {

constexpr int kGifMaxColours = 256;
constexpr int kGifMaxDelay = 0xFFFF;  // centiseconds, the field's limit

// `frames` each hold width x height indices, top row first, each below colour_count;
// `colours` holds colour_count (2 to 256) display colours 0x00BBGGRR; `delay` is each frame's
// display time in hundredths of a second (0 to kGifMaxDelay). An empty result means the
// arguments were unusable (no frames, a frame of the wrong size, an index without a colour).
std::vector<uint8_t> build_animated_gif(const std::vector<std::vector<uint8_t>>& frames,
                                        int width, int height, const uint32_t* colours,
                                        int colour_count, int delay);

}  // namespace vcv
