// Reading pictures as paint programs, image tools and other programs' clipboards write them.
//
// PNG (through LodePNG): palette images of 1, 2, 4 or 8 bits become indexed pictures with their
// palette (and tRNS alpha); every other colour type (grey of 1 to 16 bits, grey with alpha, RGB,
// RGBA, 8 or 16 bits per channel, with tRNS, interlaced or not) becomes a true-colour picture.
// 16-bit channels keep their high byte.
//
// BMP files and clipboard bitmaps (CF_DIB, CF_DIBV5), through one header parser
// (image/dib_header.h): a header of 40, 52, 56, 108 or 124 bytes, rows bottom-up or top-down.
// 1, 4 and 8 bits per pixel (plain, or RLE4 / RLE8 stored bottom-up) give indexed pictures;
// 16 and 32 bits (BI_RGB or BI_BITFIELDS) and 24 bits (BI_RGB) give true colour. BI_RGB means
// 5-5-5 at 16 bits and B, G, R, A bytes at 32 bits. Bit-field masks come from the header, or
// follow a 40-byte header. A 32-bit bitmap whose alpha bytes are all 0 is opaque.
//
// Safety contract: every reader takes the bytes and their size, never reads outside them, and
// refuses every input it cannot read exactly with a one-line reason in `error`; then `picture`
// is left as it was. A picture of more than kMaxPicturePixels pixels is refused before anything
// is allocated for it, and so is one whose stored pixel data is shorter than its size needs.
// Pixels an RLE stream does not set are index 0. An index without an entry in the file's colour
// table is refused (a file without a colour table keeps any index).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/picture.h"

namespace vcv {

bool read_png_picture(const uint8_t* bytes, size_t size, Picture* picture, std::string* error);

// A BMP file: the 14-byte file header ("BM", the offset of the pixel data) and a bitmap.
bool read_bmp_picture(const uint8_t* bytes, size_t size, Picture* picture, std::string* error);

// A clipboard bitmap block (CF_DIB or CF_DIBV5): header, masks (after a 40-byte header with
// BI_BITFIELDS), colour table of biClrUsed entries (or 2^bits up to 8 bits), then the pixels.
bool read_dib_picture(const uint8_t* block, size_t size, Picture* picture, std::string* error);

// Chooses the reader by the signature: "BM" for BMP, the PNG signature for PNG.
bool read_picture_bytes(const uint8_t* bytes, size_t size, Picture* picture, std::string* error);
// Reads the whole file (UTF-8 path); the error then starts with the path.
bool read_picture_file(const std::string& path, Picture* picture, std::string* error);

}  // namespace vcv
