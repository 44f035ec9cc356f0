// Environment and file fixtures for the platform tests.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace m4k7::test {

// Sets (or, with nullopt, unsets) environment variables for one scope and
// puts the old values back at its end.
class ScopedEnv {
public:
  ScopedEnv(std::initializer_list<std::pair<const char *, std::optional<std::string>>> vars) {
    for (const auto &[name, value] : vars) {
      const char *old = std::getenv(name);
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      Apply(name, value);
    }
  }
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Apply(it->first, it->second);
  }
  ScopedEnv(const ScopedEnv &) = delete;
  ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
  static void Apply(const char *name, const std::optional<std::string> &value) {
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  std::vector<std::pair<const char *, std::optional<std::string>>> saved_;
};

// A printer-data file in the test's temporary folder, removed at the end.
class TempFile {
public:
  explicit TempFile(const std::string &text) {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = ::testing::TempDir() + "m4k7db_" + (info ? info->name() : "data") + "_" +
            std::to_string(::getpid()) + "_" + std::to_string(counter_++) + ".txt";
    Write(text);
  }
  ~TempFile() { std::remove(path_.c_str()); }
  TempFile(const TempFile &) = delete;
  TempFile &operator=(const TempFile &) = delete;

  void Write(const std::string &text) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
  }
  const std::string &path() const { return path_; }

private:
  static inline int counter_ = 0;
  std::string path_;
};

} // namespace m4k7::test
