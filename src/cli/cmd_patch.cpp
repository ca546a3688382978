// vantorchar patch create|apply|info: BPS and IPS patches between two ROM files. Patches
// describe headerless images: a copier header on either side is left out, and apply gives its
// output the header its input ROM had.
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "patch/patch_file.h"

namespace vcv::cli {

namespace {

constexpr const char* kPatchUsage =
    "patch create ORIGINAL MODIFIED -o OUT.bps|OUT.ips | patch apply ROM PATCH -o OUT | "
    "patch info PATCH";

int usage(Streams streams, const std::string& why) {
  std::fprintf(streams.err, "vantorchar patch: %s; usage: %s\n", why.c_str(), kPatchUsage);
  return kExitUsage;
}

int report(const PatchFileResult& result, Streams streams) {
  if (!result.ok) return fail(streams, "patch", result.message);
  std::fprintf(streams.out, "%s\n", result.message.c_str());
  return kExitOk;
}

}  // namespace

int cmd_patch(const std::vector<std::string>& args, Streams streams) {
  if (args.empty()) return usage(streams, "create, apply or info is needed");
  const std::string action = args[0];
  ArgReader reader(std::vector<std::string>(args.begin() + 1, args.end()));
  std::string output;
  const bool has_output = reader.take_value("-o", &output);
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty()) return usage(streams, reader.error());
  if (action == "info") {
    if (rest.size() != 1 || has_output) return usage(streams, "info takes one patch file");
    std::string text;
    if (!describe_patch_file(rest[0], &text)) {
      // The lines read before the fault still help; the fault is the last line.
      const size_t last = text.rfind('\n');
      if (last != std::string::npos) std::fprintf(streams.out, "%s", text.substr(0, last + 1).c_str());
      return fail(streams, "patch", rest[0] + ": " + text.substr(last == std::string::npos ? 0 : last + 1));
    }
    std::fprintf(streams.out, "%s", text.c_str());
    return kExitOk;
  }
  if (action != "create" && action != "apply") {
    return usage(streams, "unknown patch action '" + action + "'");
  }
  if (rest.size() != 2) return usage(streams, action + " takes two files");
  if (!has_output) return usage(streams, "-o OUT is needed");
  OutputGuard guard;
  protect_rom(guard, rest[0]);
  if (action == "create") {
    protect_rom(guard, rest[1]);
  } else {
    guard.protect_file(rest[1], "the patch being applied");
  }
  if (!output_allowed(guard, "patch", output, streams)) return kExitFailure;
  if (action == "create") {
    if (!has_patch_extension(output)) {
      return usage(streams, "the patch's name must end in .bps or .ips: " + output);
    }
    return report(make_patch_file(rest[0], rest[1], output), streams);
  }
  return report(apply_patch_file(rest[0], rest[1], output), streams);
}

}  // namespace vcv::cli
