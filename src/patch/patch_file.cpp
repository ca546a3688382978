#include "patch/patch_file.h"

#include <cctype>
#include <cstdio>

#include "patch/bps.h"
#include "patch/crc32.h"
#include "patch/ips.h"
#include "platform/file_io.h"
#include "rom/rom_file.h"
#include "vantor_version.h"

namespace vcv {
namespace {

constexpr uint64_t kLargestPatchFile = 64u * 1024 * 1024;
constexpr char kMetadata[] = "VantorCharViewer " VCV_VERSION_STRING;

std::string lower_extension(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

std::string hex32(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

PatchFileResult refused(const std::string& message, PatchStatus status = PatchStatus::kOk) {
  PatchFileResult result;
  result.message = message;
  result.status = status;
  return result;
}

bool read_input(const std::string& path, uint64_t limit, std::vector<uint8_t>* bytes,
                std::string* error) {
  std::string why;
  if (read_regular_file(path, limit, bytes, &why)) return true;
  *error = "cannot read " + path + ": " + why;
  return false;
}

// True when `output` names the same file as `input` (links followed).
bool same_file(const std::string& output, const std::string& input) {
  FileSystem& fs = native_file_system();
  FileInfo a;
  FileInfo b;
  if (fs.stat_path(output, &a).failed() || fs.stat_path(input, &b).failed()) return false;
  return a.device == b.device && a.node == b.node;
}

std::string check_output(const std::string& output, const std::vector<std::string>& inputs) {
  for (const std::string& input : inputs) {
    if (same_file(output, input)) return output + " is " + input + ", an input: refused";
  }
  return "";
}

std::string size_text(uint64_t bytes) { return std::to_string(bytes) + " bytes"; }

void describe_bps(const BpsInfo& info, std::string* text) {
  *text += "format: BPS\n";
  *text += "source: " + size_text(info.source_size) + ", CRC32 " + hex32(info.source_crc) + "\n";
  *text += "target: " + size_text(info.target_size) + ", CRC32 " + hex32(info.target_crc) + "\n";
  *text += "patch CRC32: " + hex32(info.patch_crc) + "\n";
  if (!info.metadata.empty()) *text += "metadata: " + info.metadata + "\n";
  const uint64_t* n = info.actions;
  *text += "actions: " + std::to_string(n[0] + n[1] + n[2] + n[3]) + " (SourceRead " +
           std::to_string(n[kSourceRead]) + ", TargetRead " + std::to_string(n[kTargetRead]) +
           ", SourceCopy " + std::to_string(n[kSourceCopy]) + ", TargetCopy " +
           std::to_string(n[kTargetCopy]) + ")\n";
}

void describe_ips(const IpsInfo& info, std::string* text) {
  *text += "format: IPS (no sizes or CRC32s: any input is taken)\n";
  *text += "records: " + std::to_string(info.records + info.runs) + " (" +
           std::to_string(info.records) + " with bytes, " + std::to_string(info.runs) +
           " runs)\n";
  char end[32];
  std::snprintf(end, sizeof end, "0x%06llX", static_cast<unsigned long long>(info.end_written));
  *text += "writes up to: " + std::string(end) + " (the output is at least this long)\n";
  if (info.truncates) *text += "target: truncated to " + size_text(info.truncated_size) + "\n";
}

}  // namespace

PatchFormat patch_format_for_name(const std::string& path) {
  return lower_extension(path) == ".ips" ? PatchFormat::kIps : PatchFormat::kBps;
}

bool has_patch_extension(const std::string& path) {
  const std::string ext = lower_extension(path);
  return ext == ".bps" || ext == ".ips";
}

const char* patch_format_name(PatchFormat format) {
  return format == PatchFormat::kIps ? "IPS" : "BPS";
}

std::vector<uint8_t> headerless_image(const std::vector<uint8_t>& file, size_t* header) {
  *header = static_cast<size_t>(copier_header_for_size(static_cast<long long>(file.size())));
  return std::vector<uint8_t>(file.begin() + static_cast<long>(*header), file.end());
}

PatchFileResult make_patch_file(const std::string& original, const std::string& modified,
                                const std::string& patch_path) {
  std::string error = check_output(patch_path, {original, modified});
  if (!error.empty()) return refused(error);
  std::vector<uint8_t> original_file;
  std::vector<uint8_t> modified_file;
  if (!read_input(original, kMaxRomFileSize, &original_file, &error) ||
      !read_input(modified, kMaxRomFileSize, &modified_file, &error)) {
    return refused(error);
  }
  size_t header = 0;
  const std::vector<uint8_t> source = headerless_image(original_file, &header);
  const std::vector<uint8_t> target = headerless_image(modified_file, &header);
  const PatchFormat format = patch_format_for_name(patch_path);
  std::vector<uint8_t> patch;
  const PatchStatus status =
      format == PatchFormat::kIps
          ? create_ips(source.data(), source.size(), target.data(), target.size(), &patch)
          : create_bps(source.data(), source.size(), target.data(), target.size(), kMetadata,
                       &patch);
  if (status != PatchStatus::kOk) return refused(describe_patch_status(status), status);
  if (!write_file_atomically(patch_path, patch, &error)) {
    return refused("cannot write " + patch_path + ": " + error);
  }
  PatchFileResult result;
  result.ok = true;
  result.patch_size = patch.size();
  result.message = "wrote " + patch_path + " (" + patch_format_name(format) + ", " +
                   size_text(patch.size()) + "): " + original + " to " + modified;
  return result;
}

PatchFileResult apply_patch_file(const std::string& rom, const std::string& patch_path,
                                 const std::string& output) {
  std::string error = check_output(output, {rom, patch_path});
  if (!error.empty()) return refused(error);
  std::vector<uint8_t> rom_file;
  std::vector<uint8_t> patch;
  if (!read_input(rom, kMaxRomFileSize, &rom_file, &error) ||
      !read_input(patch_path, kLargestPatchFile, &patch, &error)) {
    return refused(error);
  }
  size_t header = 0;
  const std::vector<uint8_t> source = headerless_image(rom_file, &header);
  std::vector<uint8_t> target;
  PatchStatus status = PatchStatus::kNotAPatch;
  if (patch.size() >= 4 && patch[0] == 'B') {
    BpsInfo info;
    status = apply_bps(patch.data(), patch.size(), source.data(), source.size(), &target, &info);
    if (status == PatchStatus::kWrongSource) {
      return refused(rom + " is not the ROM the patch was made from: expected " +
                         size_text(info.source_size) + " with CRC32 " + hex32(info.source_crc) +
                         ", found " + size_text(source.size()) + " with CRC32 " +
                         hex32(crc32(source.data(), source.size())),
                     status);
    }
  } else {
    status = apply_ips(patch.data(), patch.size(), source.data(), source.size(), &target);
  }
  if (status != PatchStatus::kOk) {
    return refused(patch_path + ": " + describe_patch_status(status) + "; nothing was written",
                   status);
  }
  target.insert(target.begin(), rom_file.begin(), rom_file.begin() + static_cast<long>(header));
  if (!write_file_atomically(output, target, &error)) {
    return refused("cannot write " + output + ": " + error);
  }
  PatchFileResult result;
  result.ok = true;
  result.message = "wrote " + output + " (" + size_text(target.size()) +
                   (header > 0 ? ", with the input's copier header" : "") + ")";
  return result;
}

bool describe_patch(const std::vector<uint8_t>& patch, std::string* text) {
  text->clear();
  PatchStatus status = PatchStatus::kNotAPatch;
  if (patch.size() >= 4 && patch[0] == 'B') {
    BpsInfo info;
    status = read_bps_info(patch.data(), patch.size(), &info);
    if (status != PatchStatus::kNotAPatch && status != PatchStatus::kTruncated) {
      describe_bps(info, text);
    }
  } else {
    IpsInfo info;
    status = read_ips_info(patch.data(), patch.size(), &info);
    if (status == PatchStatus::kOk) describe_ips(info, text);
  }
  if (status == PatchStatus::kOk) return true;
  *text += describe_patch_status(status);
  return false;
}

bool describe_patch_file(const std::string& patch_path, std::string* text) {
  std::vector<uint8_t> patch;
  if (!read_input(patch_path, kLargestPatchFile, &patch, text)) return false;
  return describe_patch(patch, text);
}

}  // namespace vcv
