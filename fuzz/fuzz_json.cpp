// Arbitrary bytes as a JSON file the user edited: the reader must stay inside the text and
// either refuse it with a position inside it, or read a value that the writer writes in its one
// layout, which reads back as the same value and writes again as the same text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_target.h"

#include "platform/json.h"

VCV_FUZZ_TARGET(fuzz_json) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  vcv::JsonValue value;
  vcv::JsonError error;
  if (!vcv::parse_json(text, &value, &error)) {
    VCV_FUZZ_CHECK(!error.message.empty());
    VCV_FUZZ_CHECK(error.line >= 1 && error.column >= 1);
    VCV_FUZZ_CHECK(static_cast<size_t>(error.line - 1 + error.column - 1) <= size);
    return 0;
  }
  const std::string written = vcv::write_json(value);
  vcv::JsonValue again;
  VCV_FUZZ_CHECK(vcv::parse_json(written, &again, &error));
  VCV_FUZZ_CHECK(again == value);
  VCV_FUZZ_CHECK(vcv::write_json(again) == written);
  return 0;
}
