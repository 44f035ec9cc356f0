// `explain` records the engine's own walk: it must end with the engine's
// status and leaf, show what each selector compared and which case it took,
// and on a broken image name the node that broke and why.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../engine/test_image.h"
#include "engine/engine.h"
#include "walk_recorder.h"

namespace m4k7cli {
namespace {

using m4k7::ImageDescriptor;
using m4k7::LeafDescriptor;
using m4k7::NodeKind;
using namespace m4k7::test;

// The first node, depth first, whose notes contain `text`; nullptr if none.
const TraceNode *FindNote(const TraceNode &node, const std::string &text) {
  for (const std::string &note : node.notes)
    if (note.find(text) != std::string::npos) return &node;
  for (const TraceNode &child : node.children)
    if (const TraceNode *found = FindNote(child, text)) return found;
  return nullptr;
}

TEST(WalkRecorder, ShowsTheValuesComparedAndTheCasesTaken) {
  TestImage img;
  const uint32_t a = img.answer(1, 10), b = img.answer(1, 20), other = img.answer(2, 30);
  const uint32_t guardSkipped = img.add(List(NodeKind::NK_GUARD, a, 7, 1));
  img.add(List(NodeKind::NK_GUARD, img.list({Leaf(NodeKind::NK_INT32, 0, 2, 1)}), 8, 1));
  const uint32_t guarded = img.add(List(NodeKind::NK_GUARDED_SEQUENCE, guardSkipped, 1, 2));
  const uint32_t mask = img.add(Mask(0xFF, img.list({Case(0x31, guarded), Default(other)})));
  const uint32_t masked = img.add(List(NodeKind::NK_SELECT_MASKED, mask, 0, 2));
  const uint32_t seq = img.add(
      List(NodeKind::NK_SEQUENCE, img.list({img.nodes[other], img.nodes[masked], img.nodes[b]}), 0, 3));
  img.key(1, seq);
  const ImageDescriptor image = img.view();

  const int32_t ints[] = {0x131, 8};
  AccessRequest request = RequestOf(ints, 2, nullptr, 0);
  TraceNode root;
  LeafDescriptor recorded{}, engine{};
  std::vector<std::string> notes;
  const AccessStatus status = RecordLookup(image, 1, &request, &root, &recorded, &notes);
  ASSERT_EQ(status, m4k7::LookupKey(image, 1, &request, &engine));
  EXPECT_EQ(status, M4K7DB_OK);
  EXPECT_EQ(recorded.word0, engine.word0);
  EXPECT_EQ(recorded.word1, engine.word1);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("starts at node " + std::to_string(seq)), std::string::npos);

  const struct {
    const char *note;
  } expected[] = {
      {"another key's leaf: skipped"},
      {"I[0] = 305, masked: 49 (0x31) (parameter)"},
      {"CASE =49 matched"},
      {"I[1] = 8 (parameter)"},
      {"answers the key"},
  };
  for (const auto &e : expected) EXPECT_NE(FindNote(root, e.note), nullptr) << e.note;
  const TraceNode *guards = FindNote(root, "I[1] = 8");
  ASSERT_NE(guards, nullptr);
  ASSERT_FALSE(guards->children.empty());
  EXPECT_TRUE(guards->children[0].notWalked) << "the guard =7 is skipped, not walked";
}

// Adds the node as key 1's start and returns its index.
uint32_t Root(TestImage &img, m4k7::DbNode node) {
  const uint32_t index = img.add(node);
  img.key(1, index);
  return index;
}

// Each image breaks one invariant; the recording names the node and reason.
TEST(WalkRecorder, NamesTheNodeAndReasonOfAFailure) {
  struct Broken {
    const char *name;
    std::function<uint32_t(TestImage &)> build; // returns the node that must stop
    const char *reason;
    AccessStatus status;
  };
  const Broken cases[] = {
      {"child past the node table",
       [](TestImage &i) { return Root(i, List(NodeKind::NK_SEQUENCE, 90, 0, 2)); }, "past the node table",
       M4K7DB_FAILED},
      {"kind 30", [](TestImage &i) { return Root(i, Node(NodeKind(30), 0, 0)); }, "cannot be walked",
       M4K7DB_FAILED},
      {"masked select without a mask",
       [](TestImage &i) {
         const uint32_t a = i.answer(1, 1);
         return Root(i, List(NodeKind::NK_SELECT_MASKED, a, 0, 1));
       },
       "not a mask node", M4K7DB_FAILED},
      {"range past the IntPool",
       [](TestImage &i) {
         const uint32_t a = i.answer(1, 1);
         return Root(i, List(NodeKind::NK_SELECT_PARAM, i.list({Range(50, a)}), 0, 1));
       },
       "past the integer pool", M4K7DB_FAILED},
      {"string case over a non-string node",
       [](TestImage &i) {
         const uint32_t a = i.answer(1, 1);
         return Root(i, List(NodeKind::NK_SELECT_STRING, i.list({StringCase(a, a)}), 0, 1));
       },
       "is not a string", M4K7DB_FAILED},
      {"printer data without key 8",
       [](TestImage &i) {
         const uint32_t a = i.answer(1, 1);
         return Root(i, List(NodeKind::NK_SELECT_PRINTER_DATA, i.list({Default(a)}), 2, 1));
       },
       "key 8, which names printer-data values, is not in the key index", M4K7DB_UNKNOWN_KEY},
      {"select on a slot the request lacks",
       [](TestImage &i) {
         const uint32_t a = i.answer(1, 1);
         return Root(i, List(NodeKind::NK_SELECT_PARAM, i.list({Default(a)}), 9, 1));
       },
       "needs I[9], the request has 3 integer slots", M4K7DB_MISSING_INT},
      {"a chain deeper than the walk's bound",
       [](TestImage &i) {
         const uint32_t leaf = i.answer(1, 1);
         uint32_t n = leaf;
         for (uint32_t d = 0; d < m4k7::kMaxWalkDepth; ++d) n = i.add(List(NodeKind::NK_SEQUENCE, n, 0, 1));
         i.key(1, n);
         return leaf; // 256 sequences above it: the leaf is entered at depth 256
       },
       "deeper than the walk's depth bound", M4K7DB_FAILED},
  };
  const int32_t ints[] = {0, 0, 0};
  const char *strs[] = {"x"};
  for (const Broken &c : cases) {
    TestImage img;
    const uint32_t breaks = c.build(img);
    const ImageDescriptor image = img.view();
    AccessRequest request = RequestOf(ints, 3, strs, 1);
    TraceNode root;
    LeafDescriptor recorded{}, engine{};
    std::vector<std::string> notes;
    const AccessStatus status = RecordLookup(image, 1, &request, &root, &recorded, &notes);
    EXPECT_EQ(status, m4k7::LookupKey(image, 1, &request, &engine)) << c.name;
    EXPECT_EQ(status, c.status) << c.name;
    const TraceNode *stopped = FindNote(root, c.reason);
    ASSERT_NE(stopped, nullptr) << c.name;
    EXPECT_EQ(stopped->index, breaks) << c.name;
  }
}

} // namespace
} // namespace m4k7cli
