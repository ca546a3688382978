#include "cli/cli.h"
#include "demo/demo_rom.h"

namespace vcv::cli {

const char kPlantedFaults[] =
    "; it carries two faults on purpose, for trying the tool's refusals: graphics 27 (entry 1F0) "
    "does not decode, and animation 03 of animation type 01 names image 30, past the last frame "
    "(demo-rom --clean leaves both out)";

int cmd_demo_rom(const std::vector<std::string>& args, Streams streams) {
  ArgReader reader(args);
  const bool clean = reader.take_flag("--clean");
  const std::vector<std::string> rest = reader.positionals();
  if (!reader.error().empty() || rest.size() != 1) {
    std::fprintf(streams.err, "vantorchar demo-rom: usage: demo-rom [--clean] OUT.sfc%s%s\n",
                 reader.error().empty() ? "" : "; ", reader.error().c_str());
    return kExitUsage;
  }
  std::string error;
  const demo::DemoRomKind kind =
      clean ? demo::DemoRomKind::kClean : demo::DemoRomKind::kWithPlantedFault;
  if (!demo::write_demo_rom(rest[0], &error, kind)) {
    std::fprintf(streams.err, "vantorchar demo-rom: %s\n", error.c_str());
    return kExitFailure;
  }
  std::fprintf(streams.out, "wrote %s (%d bytes)%s\n", rest[0].c_str(), demo::kDemoRomSize,
               clean ? "" : kPlantedFaults);
  return kExitOk;
}

}  // namespace vcv::cli
