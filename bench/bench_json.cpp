// Reading 10 MB JSON texts the shape of a dump's files grown huge: many small objects (entries),
// one long array of numbers, one long array of strings, and an array under a 100 000-byte key
// (whose JSON pointer is long). The reader must stay linear in the text's size: each reading of
// 10 MB within a second.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/json.h"

namespace {

constexpr size_t kTextBytes = 10 * 1000 * 1000;

// Repeats `item` (with ", " between) inside `head` ... `tail` until the text is kTextBytes long.
std::string grown_text(const std::string& head, const std::string& item, const std::string& tail) {
  std::string text = head;
  while (text.size() + item.size() + 2 + tail.size() < kTextBytes) {
    if (text.size() > head.size()) text += ", ";
    text += item;
  }
  return text + tail;
}

void read_text(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    vcv::JsonValue value;
    vcv::JsonError error;
    if (!vcv::parse_json(text, &value, &error)) {
      state.SkipWithError(vcv::describe_json_error(error).c_str());
      break;
    }
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
}

void BM_JsonReadObjects(benchmark::State& state) {
  static const std::string text =
      grown_text("{\"format\": 1, \"entries\": [",
                 "{\"assembly\": \"1A\", \"position_type\": \"03\", \"label\": \"enemy\"}", "]}");
  read_text(state, text);
}

void BM_JsonReadNumbers(benchmark::State& state) {
  static const std::string text = grown_text("{\"format\": 1, \"pad\": [", "0", "]}");
  read_text(state, text);
}

void BM_JsonReadStrings(benchmark::State& state) {
  static const std::string text = grown_text("{\"format\": 1, \"pad\": [", "\"abcdefgh\"", "]}");
  read_text(state, text);
}

void BM_JsonReadUnderLongKey(benchmark::State& state) {
  static const std::string text =
      grown_text("{\"" + std::string(100000, 'k') + "\": [", "1", "]}");
  read_text(state, text);
}

}  // namespace

BENCHMARK(BM_JsonReadObjects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JsonReadNumbers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JsonReadStrings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JsonReadUnderLongKey)->Unit(benchmark::kMillisecond);
