#include "cli/cli.h"
#include "demo/demo_rom.h"

namespace vcv::cli {

int cmd_demo_rom(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty() || rest.size() != 1) {
    std::fprintf(streams.err, "vantorchar demo-rom: usage: demo-rom OUT.sfc%s%s\n",
                 reader.error().empty() ? "" : "; ", reader.error().c_str());
    return kExitUsage;
  }
  std::string error;
  if (!demo::write_demo_rom(rest[0], &error)) {
    std::fprintf(streams.err, "vantorchar demo-rom: %s\n", error.c_str());
    return kExitFailure;
  }
  std::fprintf(streams.out, "wrote %s (%d bytes)\n", rest[0].c_str(), demo::kDemoRomSize);
  return kExitOk;
}

}  // namespace vcv::cli
