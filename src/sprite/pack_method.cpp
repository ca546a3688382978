#include "sprite/pack_method.h"

#include <cstring>

#include "sprite/codec_optimal.h"

namespace vcv {

int pack_block_with(PackMethod method, const uint8_t* input, int count, uint8_t* output,
                    int output_capacity, MatchSearch search, MatchWorkspace* workspace) {
  if (method == PackMethod::kOptimal) {
    return pack_block_optimal(input, count, output, output_capacity, workspace);
  }
  return pack_block_best(input, count, output, output_capacity, search, workspace);
}

const char* pack_method_name(PackMethod method) {
  return method == PackMethod::kOptimal ? "optimal" : "game";
}

bool parse_pack_method(const char* text, PackMethod* method) {
  if (std::strcmp(text, "game") == 0) {
    *method = PackMethod::kGame;
  } else if (std::strcmp(text, "optimal") == 0) {
    *method = PackMethod::kOptimal;
  } else {
    return false;
  }
  return true;
}

}  // namespace vcv
