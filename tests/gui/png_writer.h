// Writes a 24-bit or 32-bit PNG without any library: the image data goes into stored
// (uncompressed) deflate blocks, which every PNG reader accepts. Enough for screenshots of a test
// run and for true-colour pictures to paste.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcv {

// `pixels` holds width * height values 0xAARRGGBB, rows from the top; without `alpha` the alpha
// byte is not written (8-bit RGB). Empty when the size does not fit the pixels.
std::vector<uint8_t> png_bytes(int width, int height, const std::vector<uint32_t>& pixels,
                               bool alpha);
// The same, written to a file; true when written.
bool write_png(const std::string& path, int width, int height,
               const std::vector<uint32_t>& pixels, bool alpha = false);

}  // namespace vcv
