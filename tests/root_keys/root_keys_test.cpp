// Root keys through the public root function, two-call pattern.
#include <gtest/gtest.h>

#include "support/ask.h"

namespace m4k7::test {
namespace {

struct NameCase {
  uint32_t key;
  const char *text;
};

TEST(RootKeys, NamesArriveAsTerminatedWideStrings) {
  const NameCase cases[] = {{0x0002, "1.62"},
                            {0x0003, "tpxub1o.dll"},
                            {0x0019, "Kelvo QX Port Driver Tpxpar11"},
                            {0x001C, "QX Status Monitor"},
                            {0x0023, "Kelvo QX M4K7 Print Processor"},
                            {0x002E, "tpxsq1o.exe"}};
  for (const NameCase &c : cases) {
    Request req = Request::Standard(Database::Root);
    Answer a = Ask(Database::Root, c.key, req);
    ASSERT_EQ(a.status, 0) << c.key;
    EXPECT_EQ(a.size, 2 * (std::string(c.text).size() + 1)) << c.key;
    EXPECT_EQ(a.wide(), Utf16(c.text)) << c.key;
  }
}

struct IntCase {
  uint32_t key;
  std::vector<int32_t> want;
};

TEST(RootKeys, IntegersArriveWidened) {
  const IntCase cases[] = {{0x0004, {1}},  {0x0005, {104}},   {0x0011, {17603}}, {0x0017, {3, 1}},
                           {0x0024, {81}}, {0x002C, {14844}}, {0x0038, {1}}};
  for (const IntCase &c : cases) {
    Request req = Request::Standard(Database::Root);
    Answer a = Ask(Database::Root, c.key, req);
    ASSERT_EQ(a.status, 0) << c.key;
    EXPECT_EQ(a.ints(), c.want) << c.key;
  }
}

struct ValueName {
  int32_t number;
  const char *name;
};

TEST(RootKeys, ValueNamesByNumber) {
  const ValueName cases[] = {{1, "TpxUI_CustomPhotoDetect"},
                             {2, "TpxUI_CustomECPMode"},
                             {154, "TpxUI_SilentModeTime"},
                             {201, "TpxSLM_SSR"},
                             {225, "TpxSLM_REG"},
                             {331, "TpxSLM_CancelJobID"},
                             {601, "TpxLM_NoResetPrinter"}};
  for (const ValueName &c : cases) {
    Request req = Request::Standard(Database::Root);
    req.set(0, c.number);
    Answer a = Ask(Database::Root, 8, req);
    ASSERT_EQ(a.status, 0) << c.number;
    EXPECT_EQ(a.wide(), Utf16(c.name)) << c.number;
  }
  for (int32_t gap : {0, 155, 312, 9999}) {
    Request req = Request::Standard(Database::Root);
    req.set(0, gap);
    EXPECT_EQ(Ask(Database::Root, 8, req).status, 1) << gap;
  }
  Request none = Request::Ints(0);
  EXPECT_EQ(Ask(Database::Root, 8, none).status, -3);
}

TEST(RootKeys, StatusFieldKeywordsAreExact) {
  struct {
    const char *text;
    AccessStatus status;
  } cases[] = {{"SSR", 0}, {"REG", 0}, {"ssr", 1}, {"SS", 1}, {"SSRX", 1}, {"", 1}};
  for (auto &c : cases) {
    Request req = Request::Standard(Database::Root);
    req.setString(0, c.text);
    Answer a = Ask(Database::Root, 0x12, req);
    EXPECT_EQ(a.status, c.status) << c.text;
    if (c.status == 0) {
      EXPECT_EQ(a.wide(), Utf16(std::string("TpxSLM_") + c.text));
    }
  }
  Request noStrings = Request::Ints(1);
  EXPECT_EQ(Ask(Database::Root, 0x12, noStrings).status, -2);
}

TEST(AccessFunctions, RangeAndRequestChecks) {
  Request req = Request::Standard(Database::Root);
  uint32_t size = 77;
  EXPECT_EQ(VRT_AccessRootDataBase(2, nullptr, 0, nullptr, &size), -4);
  EXPECT_EQ(VRT_AccessRootDataBase(0x7000, nullptr, 0, nullptr, &size), -4);
  for (uint32_t key : {0u, 0x1000u, 0x5008u, 0x7000u}) {
    EXPECT_EQ(VRT_AccessRootDataBase(key, &req.view(), 0, nullptr, &size), 1) << key;
    EXPECT_EQ(VRT_AccessDrvDataBase(key, &req.view(), 0, nullptr, &size), 1) << key;
    EXPECT_EQ(VRT_AccessSMDataBase(key, &req.view(), 0, nullptr, &size), 1) << key;
  }
  EXPECT_EQ(size, 77u) << "out-of-range keys leave outSize alone";
  EXPECT_EQ(VRT_AccessRootDataBase(0x0001, &req.view(), 0, nullptr, &size), 3);
  EXPECT_EQ(size, 77u) << "unknown keys leave outSize alone";
  Answer high = Ask(Database::Root, 0x00010005, req);
  EXPECT_EQ(high.ints(), std::vector<int32_t>{104});
}

} // namespace
} // namespace m4k7::test
