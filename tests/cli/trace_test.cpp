// The explain command's re-walk must end where the engine's walk ends: the
// same status and the same leaf, for well-formed and broken images alike.
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../engine/test_image.h"
#include "engine/engine.h"
#include "walk_trace.h"

namespace m4k7cli {
namespace {

using m4k7::ImageDescriptor;
using m4k7::LeafDescriptor;
using m4k7::NodeKind;
using namespace m4k7::test;

// Compares the traced lookup with LookupKey; returns the status.
AccessStatus ExpectAgreement(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                             const std::string &what) {
  TraceNode root;
  LeafDescriptor traced{}, engine{};
  std::vector<std::string> notes;
  AccessStatus t = TraceLookup(image, key, request, &root, &traced, &notes);
  AccessStatus e = m4k7::LookupKey(image, key, request, &engine);
  EXPECT_EQ(t, e) << what;
  if (t == e && t == M4K7DB_OK) {
    EXPECT_EQ(traced.word0, engine.word0) << what;
    EXPECT_EQ(traced.word1, engine.word1) << what;
  }
  EXPECT_FALSE(notes.empty()) << what;
  return t;
}

constexpr uint16_t kKey = 0x1234;

TEST(ExplainTrace, AgreesWithTheEngineOnEveryShape) {
  TestImage img;
  const uint32_t a = img.answer(kKey, 1), b = img.answer(kKey, 2), other = img.answer(kKey + 1, 3);
  const uint32_t neg = img.bounds(INT32_MIN, -1);
  const uint32_t seq = img.add(
      List(NodeKind::NK_SEQUENCE,
           img.list({Leaf(NodeKind::NK_INT32, 0, kKey + 1, 1), Leaf(NodeKind::NK_INT32, 0, kKey, 1)}), 0, 2));
  const uint32_t guardA = img.add(List(NodeKind::NK_GUARD, a, 7, 1));
  const uint32_t guardB = img.add(List(NodeKind::NK_GUARD, b, 8, 1));
  (void)guardB;
  const uint32_t guarded = img.add(List(NodeKind::NK_GUARDED_SEQUENCE, guardA, 1, 2));
  const uint32_t select = img.add(List(
      NodeKind::NK_SELECT_PARAM, img.list({Case(1, other), Range(neg, a), Case(5, b), Default(seq)}), 2, 4));
  const uint32_t mask = img.add(Mask(0xFF, img.list({Case(0x31, a), Default(b)})));
  const uint32_t masked = img.add(List(NodeKind::NK_SELECT_MASKED, mask, 3, 2));
  const uint32_t ssr = img.stringNode("SSR"), empty = img.stringNode("");
  const uint32_t strings =
      img.add(List(NodeKind::NK_SELECT_STRING, img.list({StringCase(ssr, a), StringCase(empty, b)}), 0, 2));
  const uint32_t stringsDefaultFirst =
      img.add(List(NodeKind::NK_SELECT_STRING, img.list({Default(a), StringCase(ssr, b)}), 5, 2));
  const uint32_t top = img.add(List(
      NodeKind::NK_SEQUENCE,
      img.list({Node(NodeKind::NK_SEQUENCE, guarded, 1), Node(NodeKind::NK_SEQUENCE, select, 1)}), 0, 2));
  img.key(1, top);
  img.key(2, masked);
  img.key(3, strings);
  img.key(4, stringsDefaultFirst);
  img.key(5, seq);
  const ImageDescriptor image = img.view();

  const std::vector<std::vector<int32_t>> intSets = {
      {},
      {0},
      {0, 7},
      {0, 8, 1},
      {0, 7, -5},
      {0, 9, 5},
      {0, 9, 6, 0x1231},
      {0, 9, 1, 0x4431},
      {0, 9, 0, 0x32},
  };
  const std::vector<std::vector<const char *>> stringSets = {{}, {"SSR"}, {nullptr}, {"SS"}, {"ssr"}, {""}};
  int count = 0;
  for (const auto &ints : intSets)
    for (const auto &strs : stringSets) {
      AccessRequest r = RequestOf(ints.empty() ? nullptr : ints.data(), uint32_t(ints.size()),
                                  strs.empty() ? nullptr : strs.data(), uint32_t(strs.size()));
      const std::string what =
          "ints " + std::to_string(ints.size()) + " strings " + std::to_string(strs.size());
      for (uint32_t i = 0; i < image.keyCount; ++i) {
        // kKey through each tree, as the grouped lists walk their entries.
        TraceNode node;
        LeafDescriptor traced{}, engine{};
        const m4k7::DbNode &n = image.nodes[image.keyNodes[i]];
        AccessStatus t = TraceWalk(image, kKey, &r, image.keyNodes[i], &node, &traced);
        AccessStatus e = m4k7::WalkNode(image, kKey, &r, n.word0, n.word1, &engine);
        EXPECT_EQ(t, e) << what << " node " << image.keyNodes[i];
        if (t == M4K7DB_OK && e == M4K7DB_OK) {
          EXPECT_EQ(traced.word0, engine.word0) << what;
        }
        ExpectAgreement(image, image.keys[i], &r, what + " key " + std::to_string(image.keys[i]));
        count += 2;
      }
      ExpectAgreement(image, 6, &r, what + " key 6, not in the index");
    }
  // An absent request reaches the selectors' own statuses.
  for (uint32_t k : {1u, 2u, 3u}) ExpectAgreement(image, k, nullptr, "no request, key " + std::to_string(k));
  EXPECT_GT(count, 300);
}

TEST(ExplainTrace, AgreesOnBrokenImages) {
  // Each image breaks one invariant the walk checks at the point of use.
  struct Broken {
    const char *name;
    std::function<void(TestImage &)> build;
  };
  const Broken cases[] = {
      {"child past the node table",
       [](TestImage &i) { i.key(1, i.add(List(NodeKind::NK_SEQUENCE, 90, 0, 2))); }},
      {"kind 0", [](TestImage &i) { i.key(1, i.add(Node(NodeKind(0), 0, 0))); }},
      {"kind 30", [](TestImage &i) { i.key(1, i.add(Node(NodeKind(30), 0, 0))); }},
      {"mask walked directly", [](TestImage &i) { i.key(1, i.add(Mask(1, 0))); }},
      {"string case walked directly", [](TestImage &i) { i.key(1, i.add(StringCase(0, 0))); }},
      {"masked select without a mask",
       [](TestImage &i) {
         uint32_t a = i.answer(1, 1);
         i.key(1, i.add(List(NodeKind::NK_SELECT_MASKED, a, 0, 1)));
       }},
      {"range past the IntPool",
       [](TestImage &i) {
         uint32_t a = i.answer(1, 1);
         i.key(1, i.add(List(NodeKind::NK_SELECT_PARAM, i.list({Range(50, a)}), 0, 1)));
       }},
      {"case target past the table",
       [](TestImage &i) { i.key(1, i.add(List(NodeKind::NK_SELECT_PARAM, i.list({Default(77)}), 0, 1))); }},
      {"string case over a non-string node",
       [](TestImage &i) {
         uint32_t a = i.answer(1, 1);
         i.key(1, i.add(List(NodeKind::NK_SELECT_STRING, i.list({StringCase(a, a)}), 0, 1)));
       }},
      {"string past the StringPool",
       [](TestImage &i) {
         uint32_t a = i.answer(1, 1);
         uint32_t s = i.add(Leaf(NodeKind::NK_BYTES, 10, 0, 5));
         i.key(1, i.add(List(NodeKind::NK_SELECT_STRING, i.list({StringCase(s, a)}), 0, 1)));
       }},
      {"a case in a sequence's place",
       [](TestImage &i) {
         uint32_t a = i.answer(1, 1);
         i.key(1, i.add(List(NodeKind::NK_SELECT_PARAM, i.list({Node(NodeKind::NK_SEQUENCE, a, 1)}), 0, 1)));
       }},
      {"key node past the table", [](TestImage &i) { i.key(1, 500); }},
      {"key not in the index", [](TestImage &i) { i.key(2, i.answer(2, 0)); }},
      {"printer data without key 8",
       [](TestImage &i) {
         uint32_t a = i.answer(1, 1);
         i.key(1, i.add(List(NodeKind::NK_SELECT_PRINTER_DATA, i.list({Default(a)}), 2, 1)));
       }},
      {"locale select with a wrong source",
       [](TestImage &i) {
         uint32_t a = i.answer(1, 1);
         i.key(1, i.add(List(NodeKind::NK_SELECT_LOCALE, i.list({Default(a)}), 0x1234, 1)));
       }},
      {"empty guarded sequence",
       [](TestImage &i) { i.key(1, i.add(List(NodeKind::NK_GUARDED_SEQUENCE, 0, 0, 0))); }},
  };
  const int32_t ints[] = {0, 0, 0};
  const char *strs[] = {"x"};
  for (const Broken &c : cases) {
    TestImage img;
    c.build(img);
    const ImageDescriptor image = img.view();
    AccessRequest r = RequestOf(ints, 3, strs, 1);
    AccessStatus s = ExpectAgreement(image, 1, &r, c.name);
    EXPECT_NE(s, M4K7DB_OK) << c.name;
  }
  // Absent tables.
  TestImage img;
  img.key(1, img.answer(1, 5));
  ImageDescriptor noNodes = img.view();
  noNodes.nodes = nullptr;
  ExpectAgreement(noNodes, 1, nullptr, "no node table");
  ImageDescriptor noKeys = img.view();
  noKeys.keys = nullptr;
  ExpectAgreement(noKeys, 1, nullptr, "no key index");
}

// The printer-data select reads through a real handle from a printer-data file.
TEST(ExplainTrace, AgreesOnPrinterDataSelects) {
  const std::string path = ::testing::TempDir() + "/m4k7db_trace_printers.ini";
  {
    std::ofstream f(path);
    f << "[Has Value]\nTpxUI_CustomECPMode = dword:0\n"
      << "[Other Value]\nTpxUI_CustomECPMode = dword:7\n"
      << "[Long Value]\nTpxUI_CustomECPMode = hex:01,02,03,04,05\n"
      << "[No Value]\nTpxUI_Else = dword:1\n";
  }
  setenv("M4K7DB_PRINTER_DATA", path.c_str(), 1);
  TestImage img;
  const uint32_t name = img.nameLeaf(8, "TpxUI_CustomECPMode");
  img.key(8, img.add(List(NodeKind::NK_SELECT_PARAM, img.list({Case(2, name)}), 0, 1)));
  const uint32_t nibble = img.answer(kKey, 0), ecp = img.answer(kKey, 1);
  img.key(kKey,
          img.add(List(NodeKind::NK_SELECT_PRINTER_DATA, img.list({Case(0, nibble), Default(ecp)}), 2, 2)));
  img.key(kKey + 1, img.add(List(NodeKind::NK_SELECT_PRINTER_DATA, img.list({Case(0, nibble)}), 2, 1)));
  img.key(kKey + 2, img.add(List(NodeKind::NK_SELECT_PRINTER_DATA, img.list({Case(0, nibble)}), 3, 1)));
  const ImageDescriptor image = img.view();
  const char *const printers[] = {"Has Value", "Other Value", "Long Value", "No Value", nullptr};
  for (const char *printer : printers) {
    PrinterHandle h = nullptr;
    if (printer) {
      std::u16string n(printer, printer + std::strlen(printer));
      ASSERT_EQ(m4k7db_open_printer(reinterpret_cast<const uint16_t *>(n.c_str()), &h), 0) << printer;
    }
    AccessRequest r = RequestOf(nullptr, 0, nullptr, 0, h);
    for (uint32_t k : {uint32_t(kKey), uint32_t(kKey + 1), uint32_t(kKey + 2)})
      ExpectAgreement(image, k, &r,
                      std::string(printer ? printer : "no printer") + " key " + std::to_string(k));
    m4k7db_close_printer(h);
  }
  unsetenv("M4K7DB_PRINTER_DATA");
  std::remove(path.c_str());
}

// The compiled image: every key of the index, over requests that reach
// many branches of the driver's trees.
TEST(ExplainTrace, AgreesOnTheCompiledImageForEveryKey) {
  const ImageDescriptor &image = m4k7::CompiledImage();
  ASSERT_GT(image.keyCount, 0u);
  std::vector<std::vector<int32_t>> requests;
  for (int32_t ink : {4, 6})
    for (int32_t media : {1, 2, 258, 275, 283, 999})
      for (int32_t quality : {1, 3, 5})
        for (int32_t size : {9, 8, 256, 0}) {
          std::vector<int32_t> ints(106, 0);
          ints[4] = ink;
          ints[5] = media;
          ints[8] = quality;
          ints[6] = quality == 5 ? 2 : 1;
          ints[9] = quality == 3 ? 1 : 0;
          ints[28] = size;
          ints[52] = size == 9 ? 5 : 0;
          ints[7] = 7;
          ints[25] = ints[29] = ints[96] = 14800;
          ints[26] = ints[30] = ints[97] = 21000;
          ints[79] = size == 8 ? 0x800000 : 0;
          requests.push_back(ints);
        }
  for (int32_t first : {0, 1, 2, 3, 4, 155, 201, 5632, 0x1601})
    requests.push_back(std::vector<int32_t>(20, first));
  requests.push_back({}); // too few slots for every select
  const std::vector<const char *> texts = {"SSR", "BK,VC", "QX M4K7", "1601", "Cleaning", nullptr};
  int checked = 0;
  for (uint32_t i = 0; i < image.keyCount; ++i)
    for (const auto &ints : requests) {
      std::vector<const char *> strs(9, nullptr);
      for (size_t s = 0; s < strs.size(); ++s) strs[s] = texts[(i + s) % texts.size()];
      AccessRequest r =
          RequestOf(ints.empty() ? nullptr : ints.data(), uint32_t(ints.size()), strs.data(), 9);
      ExpectAgreement(image, image.keys[i], &r, "key " + std::to_string(image.keys[i]));
      ++checked;
    }
  EXPECT_GT(checked, 1000);
}

} // namespace
} // namespace m4k7cli
