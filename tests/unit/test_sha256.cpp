#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sha256.h"

namespace vcv {
namespace {

std::string hex_of(const std::string& text) {
  return sha256_hex(sha256(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// The FIPS 180 examples, and lengths around the padding boundary (55 bytes still fit the length
// in the last block, 56 do not).
TEST(Sha256, StandardVectors) {
  struct Case {
    std::string message;
    const char* digest;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hex_of(c.message), c.digest) << "length " << c.message.size();
  }
}

TEST(Sha256, AnySplitOfTheInputGivesTheSameDigest) {
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
  const Sha256Digest whole = sha256(data.data(), data.size());
  for (size_t piece : {1u, 7u, 63u, 64u, 65u, 500u}) {
    Sha256 hash;
    for (size_t at = 0; at < data.size(); at += piece) {
      hash.update(data.data() + at, std::min(piece, data.size() - at));
    }
    EXPECT_EQ(hash.finish(), whole) << "pieces of " << piece;
  }
}

}  // namespace
}  // namespace vcv
