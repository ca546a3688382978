// One fuzz target per file. Built for libFuzzer, VCV_FUZZ_TARGET(name) defines
// LLVMFuzzerTestOneInput; built into the unit tests (VCV_FUZZ_REPLAY), it registers the same body
// under its name, so that the saved inputs in fuzz/crashes/NAME and fuzz/seeds/NAME run as
// ordinary tests on every run. A failed check traps under the fuzzer and throws in the replay.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vcv::fuzz {

using TargetFunction = int (*)(const uint8_t* data, size_t size);

#ifdef VCV_FUZZ_REPLAY
// Defined by the replay test: reports the failed check.
[[noreturn]] void fail(const char* what);

struct Registration {
  Registration(const char* name, TargetFunction run);
};
#else
[[noreturn]] inline void fail(const char*) { __builtin_trap(); }
#endif

}  // namespace vcv::fuzz

#define VCV_FUZZ_CHECK(condition)                                 \
  do {                                                            \
    if (!(condition)) ::vcv::fuzz::fail("check failed: " #condition); \
  } while (0)

#ifdef VCV_FUZZ_REPLAY
#define VCV_FUZZ_TARGET(name)                                                     \
  static int name##_one_input(const uint8_t* data, size_t size);                  \
  static const ::vcv::fuzz::Registration name##_registration(#name,               \
                                                              name##_one_input);  \
  static int name##_one_input(const uint8_t* data, size_t size)
#else
#define VCV_FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
#endif
