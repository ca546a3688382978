// pack / unpack: the packed-block codec on plain files.
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/file_io.h"
#include "sprite/codec.h"
#include "sprite/codec_optimal.h"

namespace vcv::cli {

namespace {

constexpr const char* kPackUsage =
    "pack [--mode short|long|best|optimal] [--search fast|scan] IN OUT";
// unpack decodes into at most 65536 bytes, and a block must decode to fewer bytes than its
// limit: a larger picture could be packed but never decoded again.
constexpr int kLargestPackInput = kPackedBufferSize - 1;
constexpr const char* kUnpackUsage = "unpack IN OUT [--offset N] [--limit N]";

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

// Reads "--name N" into *value when present; false (with *error set) when it is not a number
// within [low, high].
bool take_bounded(ArgReader& reader, const std::string& name, long long low, long long high,
                  long long* value, std::string* error) {
  std::string text;
  if (!reader.take_value(name, &text)) return true;
  long long parsed = 0;
  if (!parse_number(text, &parsed) || parsed < low || parsed > high) {
    *error = name + " must be a number from " + std::to_string(low) + " to " +
             std::to_string(high) + ", not '" + text + "'";
    return false;
  }
  *value = parsed;
  return true;
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

  std::vector<unsigned char> input;
  if (!read_whole_file(files[0], &input)) {
    std::fprintf(streams.err, "vantorchar pack: cannot read %s\n", files[0].c_str());
    return kExitFailure;
  }
  if (input.size() > static_cast<size_t>(kLargestPackInput)) {
    std::fprintf(streams.err,
                 "vantorchar pack: %s has %zu bytes; a block decodes to at most %d bytes\n",
                 files[0].c_str(), input.size(), kLargestPackInput);
    return kExitFailure;
  }
  std::vector<unsigned char> block(kPackedBufferSize);
  const int count = static_cast<int>(input.size());
  int size = kPackRefused;
  if (mode == "best") {
    size = pack_block_best(input.data(), count, block.data(), kPackedBufferSize, search);
  } else if (mode == "optimal") {
    size = pack_block_optimal(input.data(), count, block.data(), kPackedBufferSize);
  } else {
    const PackMode pack_mode = mode == "short" ? PackMode::kShortWindow : PackMode::kLongWindow;
    size = pack_block(input.data(), count, block.data(), kPackedBufferSize, pack_mode, search);
  }
  if (size == kPackRefused) {
    std::fprintf(streams.err,
                 "vantorchar pack: %s does not compress into one block of %d bytes\n",
                 files[0].c_str(), kPackedBufferSize);
    return kExitFailure;
  }
  block.resize(static_cast<size_t>(size));
  if (!write_whole_file(files[1], block)) {
    std::fprintf(streams.err, "vantorchar pack: cannot write %s\n", files[1].c_str());
    return kExitFailure;
  }
  std::fprintf(streams.out, "packed=%d\n", size);
  return kExitOk;
}

int cmd_unpack(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  long long offset = 0;
  long long limit = kPackedBufferSize;
  std::string error;
  if (!take_bounded(reader, "--offset", 0, 0x7FFFFFFF, &offset, &error) ||
      !take_bounded(reader, "--limit", 1, kPackedBufferSize, &limit, &error)) {
    return usage_error(streams, "unpack", kUnpackUsage, error);
  }
  const std::vector<std::string> files = reader.positionals();
  if (!reader.error().empty()) {
    return usage_error(streams, "unpack", kUnpackUsage, reader.error());
  }
  if (files.size() != 2) return usage_error(streams, "unpack", kUnpackUsage, "needs IN and OUT");

  std::vector<unsigned char> source;
  if (!read_whole_file(files[0], &source)) {
    std::fprintf(streams.err, "vantorchar unpack: cannot read %s\n", files[0].c_str());
    return kExitFailure;
  }
  if (static_cast<unsigned long long>(offset) >= source.size()) {
    std::fprintf(streams.err, "vantorchar unpack: offset %lld is past the end of %s (%zu bytes)\n",
                 offset, files[0].c_str(), source.size());
    return kExitFailure;
  }
  std::vector<unsigned char> decoded(static_cast<size_t>(limit));
  int packed = 0;
  const int size = unpack_block(source.data(), source.size(), static_cast<size_t>(offset),
                                decoded.data(), static_cast<int>(limit), &packed);
  if (size < 0) {
    std::fprintf(streams.err,
                 "vantorchar unpack: no valid block at offset %lld of %s (damaged, or it "
                 "decodes to %lld bytes or more)\n",
                 offset, files[0].c_str(), limit);
    return kExitFailure;
  }
  decoded.resize(static_cast<size_t>(size));
  if (!write_whole_file(files[1], decoded)) {
    std::fprintf(streams.err, "vantorchar unpack: cannot write %s\n", files[1].c_str());
    return kExitFailure;
  }
  std::fprintf(streams.out, "decoded=%d packed=%d\n", size, packed);
  return kExitOk;
}

}  // namespace vcv::cli
