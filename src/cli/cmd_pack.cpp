// pack / unpack: the packed-block codec on plain files.
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "platform/file_io.h"
#include "rom/rom_file.h"
#include "sprite/codec.h"
#include "sprite/codec_optimal.h"

namespace vcv::cli {

namespace {

constexpr const char* kPackUsage =
    "pack [--mode short|long|best|optimal] [--search fast|scan] IN OUT";
// unpack decodes into at most 65536 bytes, and a block must decode to fewer bytes than its
// limit: a larger picture could be packed but never decoded again.
constexpr int kLargestPackInput = kPackedBufferSize - 1;
constexpr const char* kUnpackUsage =
    "unpack IN OUT [--offset N | --address BANK:OFFSET] [--limit N]";

int usage_error(Streams streams, const char* command, const char* usage,
                const std::string& detail) {
  std::fprintf(streams.err, "vantorchar %s: %s; usage: %s\n", command, detail.c_str(), usage);
  return kExitUsage;
}

bool parse_search(const std::string& text, MatchSearch* search) {
  if (text == "fast") *search = MatchSearch::kFast;
  else if (text == "scan") *search = MatchSearch::kScan;
  else return false;
  return true;
}

std::string hex(long long value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX", value);
  return text;
}

// The input file, at most `max_bytes`; false after one line on the error stream.
bool read_input(const char* command, const std::string& path, long long max_bytes,
                std::vector<uint8_t>* bytes, Streams streams) {
  std::string error;
  if (read_regular_file(path, static_cast<uint64_t>(max_bytes), bytes, &error)) return true;
  fail(streams, command, "cannot read " + path + ": " + error);
  return false;
}

bool write_output(const char* command, const std::string& path,
                  const std::vector<uint8_t>& bytes, Streams streams) {
  std::string error;
  if (write_file_atomically(path, bytes, &error)) return true;
  fail(streams, command, "cannot write " + path + ": " + error);
  return false;
}

}  // namespace

int cmd_pack(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  std::string mode = "best";
  std::string search_text = "fast";
  reader.take_value("--mode", &mode);
  reader.take_value("--search", &search_text);
  const std::vector<std::string> files = reader.positionals();
  if (!reader.error().empty()) return usage_error(streams, "pack", kPackUsage, reader.error());
  if (files.size() != 2) return usage_error(streams, "pack", kPackUsage, "needs IN and OUT");
  MatchSearch search = MatchSearch::kFast;
  if (!parse_search(search_text, &search)) {
    return usage_error(streams, "pack", kPackUsage, "unknown search '" + search_text + "'");
  }
  if (mode != "short" && mode != "long" && mode != "best" && mode != "optimal") {
    return usage_error(streams, "pack", kPackUsage, "unknown mode '" + mode + "'");
  }
  if (mode == "optimal" && search != MatchSearch::kFast) {
    return usage_error(streams, "pack", kPackUsage, "--mode optimal has only the fast search");
  }

  OutputGuard guard;
  guard.protect_file(files[0], "the input");
  if (!output_allowed(guard, "pack", files[1], streams)) return kExitFailure;
  // Only a picture a block can give back is read, so a huge input costs nothing.
  std::vector<uint8_t> input;
  std::string error;
  if (!read_regular_file(files[0], kLargestPackInput, &input, &error)) {
    return fail(streams, "pack",
                files[0] + ": " + error + "; a block decodes to at most " +
                    std::to_string(kLargestPackInput) + " bytes");
  }
  // Uninitialised, so that only the pages the block is written to are touched.
  const std::unique_ptr<uint8_t[]> packed(new uint8_t[kPackedBufferSize]);
  const int count = static_cast<int>(input.size());
  int size = kPackRefused;
  if (mode == "best") {
    size = pack_block_best(input.data(), count, packed.get(), kPackedBufferSize, search);
  } else if (mode == "optimal") {
    size = pack_block_optimal(input.data(), count, packed.get(), kPackedBufferSize);
  } else {
    const PackMode pack_mode = mode == "short" ? PackMode::kShortWindow : PackMode::kLongWindow;
    size = pack_block(input.data(), count, packed.get(), kPackedBufferSize, pack_mode, search);
  }
  if (size == kPackRefused) {
    return fail(streams, "pack",
                files[0] + " does not compress into one block of " +
                    std::to_string(kPackedBufferSize) + " bytes");
  }
  const std::vector<uint8_t> block(packed.get(), packed.get() + size);
  if (!write_output("pack", files[1], block, streams)) return kExitFailure;
  std::fprintf(streams.out, "packed=%d\n", size);
  return kExitOk;
}

int cmd_unpack(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  long long offset = -1;
  long long limit = kPackedBufferSize;
  std::string address_text;
  if (!take_number(reader, "unpack", "--offset", 0, kMaxRomFileSize - 1, &offset, streams) ||
      !take_number(reader, "unpack", "--limit", 1, kPackedBufferSize, &limit, streams)) {
    return kExitUsage;
  }
  const bool by_address = reader.take_value("--address", &address_text);
  const std::vector<std::string> files = reader.positionals();
  if (!reader.error().empty()) {
    return usage_error(streams, "unpack", kUnpackUsage, reader.error());
  }
  if (files.size() != 2) return usage_error(streams, "unpack", kUnpackUsage, "needs IN and OUT");
  if (by_address && offset >= 0) {
    return usage_error(streams, "unpack", kUnpackUsage, "give --offset or --address, not both");
  }
  const long long address = by_address ? parse_snes_address(address_text) : -1;
  if (by_address && address < 0) {
    return usage_error(streams, "unpack", kUnpackUsage,
                       "--address takes BANK:OFFSET (C8:1234) or six hexadecimal digits, not '" +
                           address_text + "'");
  }

  OutputGuard guard;
  protect_rom(guard, files[0]);
  if (!output_allowed(guard, "unpack", files[1], streams)) return kExitFailure;
  std::vector<uint8_t> source;
  if (!read_input("unpack", files[0], kMaxRomFileSize, &source, streams)) return kExitFailure;
  if (by_address) {
    // The address is read as the window program reads the ROM: HiROM, past a copier header.
    const RomImage mapping({}, kMappingHiRom, copier_header_for_size(source.size()));
    offset = mapping.file_offset(static_cast<int>(address >> 16), static_cast<int>(address));
  }
  if (offset < 0) offset = 0;
  if (static_cast<unsigned long long>(offset) >= source.size()) {
    return fail(streams, "unpack",
                "offset " + hex(offset) + " is past the end of " + files[0] + " (" +
                    hex(static_cast<long long>(source.size())) + " bytes)");
  }
  std::vector<uint8_t> decoded(static_cast<size_t>(limit));
  int packed = 0;
  const int size = unpack_block(source.data(), source.size(), static_cast<size_t>(offset),
                                decoded.data(), static_cast<int>(limit), &packed);
  if (size < 0) {
    return fail(streams, "unpack",
                "no valid block at offset " + hex(offset) + " of " + files[0] +
                    " (damaged, or it decodes to " + hex(limit) + " bytes or more)");
  }
  decoded.resize(static_cast<size_t>(size));
  if (!write_output("unpack", files[1], decoded, streams)) return kExitFailure;
  std::fprintf(streams.out, "decoded=%d packed=%d\n", size, packed);
  return kExitOk;
}

}  // namespace vcv::cli
