// A folder of its own for one test, removed with everything in it when the test ends. Files are
// read and written with the standard library, apart from the code under test. Names are UTF-8.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace vcv::testing_support {

class TempFolder {
 public:
  explicit TempFolder(const std::string& tag = "files") {
    namespace fs = std::filesystem;
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = fs::temp_directory_path() /
           ("vcv-" + tag + "-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(dir_);
  }
  ~TempFolder() {
    std::error_code ignored;
    // A read-only file cannot be removed on Windows: make everything writable first.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_, ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(dir_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& dir() const { return dir_; }
  std::filesystem::path at(const std::string& name) const {
    return dir_ / std::filesystem::u8path(name);
  }
  // The UTF-8 path the code under test is given.
  std::string path(const std::string& name) const { return at(name).u8string(); }

  void write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream out(at(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << name;
  }
  // The bytes of a file; empty when there is no regular file by that name.
  std::vector<uint8_t> read(const std::string& name) const {
    if (!std::filesystem::is_regular_file(at(name))) return {};
    std::ifstream in(at(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // The names of everything in the folder, sorted.
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      out.insert(entry.path().filename().u8string());
    }
    return out;
  }

 private:
  std::filesystem::path dir_;
};

}  // namespace vcv::testing_support
