// Helpers of the compiler tests: compile or expect a refusal, and ask a
// compiled image through the engine.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler.h"
#include "engine/engine.h"

namespace imagec {

inline ImageTables MustCompile(const ImageBuilder &b) {
  ImageTables t;
  std::string error;
  EXPECT_TRUE(Compile(b, &t, &error)) << error;
  return t;
}

// The compiler's message for content it must refuse ("" if it accepted it).
inline std::string Refusal(const ImageBuilder &b) {
  ImageTables t;
  std::string error;
  if (Compile(b, &t, &error)) return "";
  EXPECT_FALSE(error.empty());
  return error;
}

// The integers the key answers for these parameters; empty when not found.
inline std::vector<int32_t> AskInts(const m4k7::ImageDescriptor &image, uint16_t key,
                                    std::vector<int32_t> ints) {
  AccessRequest request{};
  request.intParamCount = uint32_t(ints.size());
  request.intParams = ints.data();
  m4k7::LeafDescriptor leaf{};
  const AccessStatus found = m4k7::LookupKey(image, key, &request, &leaf);
  if (found == m4k7::kNotFound) return {};
  EXPECT_EQ(found, m4k7::kOk) << "key " << key;
  std::vector<int32_t> out(m4k7::countOf(leaf.word1) + 1);
  uint32_t size = 0;
  EXPECT_EQ(m4k7::FetchLeaf(image, &request, uint32_t(4 * (out.size() - 1)), out.data(), &size, leaf),
            m4k7::kOk);
  out.resize(size / 4);
  return out;
}

inline std::string FetchBytes(const m4k7::ImageDescriptor &image, const m4k7::LeafDescriptor &leaf) {
  std::string out(m4k7::countOf(leaf.word1) + 1, '\0');
  uint32_t size = 0;
  EXPECT_EQ(m4k7::FetchLeaf(image, nullptr, uint32_t(out.size()), out.data(), &size, leaf), m4k7::kOk);
  out.resize(size);
  return out;
}

} // namespace imagec
