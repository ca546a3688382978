#include "cli/cli.h"

namespace vcv::cli {

int cmd_pack(const std::vector<std::string>&, Streams streams) {
  std::fprintf(streams.err, "vantorchar pack: not built yet\n");
  return kExitFailure;
}

int cmd_unpack(const std::vector<std::string>&, Streams streams) {
  std::fprintf(streams.err, "vantorchar unpack: not built yet\n");
  return kExitFailure;
}

}  // namespace vcv::cli
