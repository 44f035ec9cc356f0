// The Graphviz graph of a key's tree: every edge ends at a drawn node,
// leaves are told apart by key, broken references are drawn, not followed.
#include <regex>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "../engine/test_image.h"
#include "dot.h"

namespace m4k7cli {
namespace {

using m4k7::NodeKind;
using namespace m4k7::test;

struct Parsed {
  std::set<std::string> defined;
  std::vector<std::pair<std::string, std::string>> edges;
  std::string text;
};

Parsed Draw(const m4k7::ImageDescriptor &image, std::vector<uint32_t> keys) {
  std::ostringstream out;
  std::string error;
  EXPECT_TRUE(WriteDot(out, image, keys, &error)) << error;
  Parsed p;
  p.text = out.str();
  std::istringstream lines(p.text);
  const std::regex node(R"(^  (\w+) \[label=)"), edge(R"(^  (\w+) -> (\w+))");
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (std::regex_search(line, m, edge)) {
      p.edges.emplace_back(m[1], m[2]);
    } else if (std::regex_search(line, m, node)) {
      EXPECT_TRUE(p.defined.insert(m[1]).second) << "drawn twice: " << m[1];
    }
  }
  return p;
}

TEST(DotGraph, SharedTreesAndBrokenReferences) {
  TestImage img;
  const uint32_t mine = img.answer(0x1003, 1), theirs = img.answer(0x1001, 2);
  const uint32_t ssr = img.stringNode("S\"R");
  const uint32_t strings = img.add(List(NodeKind::NK_SELECT_STRING, img.list({StringCase(ssr, mine)}), 0, 1));
  // Both cases lead to one shared sequence, drawn once.
  const uint32_t shared = img.add(
      List(NodeKind::NK_SEQUENCE,
           img.list({Leaf(NodeKind::NK_INT32, 0, 0x1001, 1), Leaf(NodeKind::NK_INT32, 0, 0x1003, 1)}), 0, 2));
  const uint32_t select =
      img.add(List(NodeKind::NK_SELECT_PARAM,
                   img.list({Case(9, shared), Case(11, shared), Default(strings), Default(900)}), 28, 4));
  const uint32_t root = img.add(
      List(NodeKind::NK_SEQUENCE,
           img.list({Node(NodeKind::NK_SEQUENCE, select, 1), Node(NodeKind::NK_SEQUENCE, theirs, 1)}), 0, 2));
  img.key(0x1003, root);
  img.key(0x1001, root);
  img.key(0x2000, img.add(List(NodeKind::NK_SEQUENCE, 5000, 0, 1)));
  const m4k7::ImageDescriptor image = img.view();

  Parsed p = Draw(image, {0x1003});
  for (const auto &[from, to] : p.edges) {
    EXPECT_TRUE(p.defined.count(from)) << from;
    EXPECT_TRUE(p.defined.count(to)) << to;
  }
  EXPECT_NE(p.text.find("n" + std::to_string(shared) + " [label="), std::string::npos);
  EXPECT_NE(p.text.find(R"(label="CASE =9")"), std::string::npos);
  EXPECT_NE(p.text.find(R"(label="DEFAULT")"), std::string::npos);
  EXPECT_NE(p.text.find(R"(label="STRING_CASE \"S\\\"R\" (string node)"), std::string::npos)
      << "the string case, quoted twice";
  EXPECT_NE(p.text.find("missing900"), std::string::npos);
  // The asked key's leaves are filled, the other key's dashed.
  std::regex filled("n" + std::to_string(mine) + R"( \[label=[^\n]*fillcolor)");
  std::regex dashed("n" + std::to_string(theirs) + R"( \[label=[^\n]*dashed)");
  EXPECT_TRUE(std::regex_search(p.text, filled));
  EXPECT_TRUE(std::regex_search(p.text, dashed));

  Parsed both = Draw(image, {0x1003, 0x1001});
  EXPECT_TRUE(
      std::regex_search(both.text, std::regex("n" + std::to_string(theirs) + R"( \[label=[^\n]*fillcolor)")));
  EXPECT_EQ(both.defined.count("key4097") + both.defined.count("key4099"), 2u);

  Parsed broken = Draw(image, {0x2000});
  EXPECT_NE(broken.text.find("missing5000"), std::string::npos);

  std::ostringstream out;
  std::string error;
  EXPECT_FALSE(WriteDot(out, image, {0x4444}, &error));
  EXPECT_NE(error.find("0x4444"), std::string::npos);
  EXPECT_TRUE(out.str().empty());
}

} // namespace
} // namespace m4k7cli
