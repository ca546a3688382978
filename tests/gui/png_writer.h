// Writes a 24-bit PNG without any library: the image data goes into stored (uncompressed)
// deflate blocks, which every PNG reader accepts. Enough for screenshots of a test run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vcv {

// `pixels` holds width * height values 0x00RRGGBB, rows from the top. Returns true when written.
bool write_png(const std::string& path, int width, int height,
               const std::vector<uint32_t>& pixels);

}  // namespace vcv
