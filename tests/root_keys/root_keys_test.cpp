// Every root key through VRT_AccessRootDataBase, two-call pattern: the
// component and file names, the switches, the printer-data value names by
// number (key 8) and the status field names by keyword (key 0x12).
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "engine/image.h"
#include "support/ask.h"

namespace m4k7::test {
namespace {

struct NameCase {
  uint32_t key;
  const char *text;
};

const NameCase kNames[] = {
    {0x0002, "1.62"},
    {0x0003, "tpxub1o.dll"},
    {0x000A, "tpxsm1o.exe"},
    {0x000B, "tpxsh1o.hlp"},
    {0x0010, "tpxmh1o.hlp"},
    {0x0013, "tpxur1o.dll"},
    {0x0014, "tpxsr1o.dll"},
    {0x0018, "tpxpi1o.dll"},
    {0x0019, "Kelvo QX Port Driver Tpxpar11"},
    {0x001A, "tpxss1o.smr"},
    {0x001B, "tpxss1o.exe"},
    {0x001C, "QX Status Monitor"},
    {0x001D, "tpxin1o.ini"},
    {0x0023, "Kelvo QX M4K7 Print Processor"},
    {0x0025, "tpxsd1o.exe"},
    {0x0026, "tpxpp1o.dll"},
    {0x0027, "tpxfu1o.dll"},
    {0x002E, "tpxsq1o.exe"},
};

struct IntCase {
  uint32_t key;
  std::vector<int32_t> want;
};

const IntCase kInts[] = {
    {0x0004, {1}},     {0x0005, {104}}, {0x0006, {105}}, {0x0007, {102}}, {0x0009, {0}},
    {0x000C, {1}},     {0x000D, {0}},   {0x000E, {8}},   {0x000F, {0}},   {0x0011, {17603}},
    {0x0017, {3, 1}},  {0x001F, {0}},   {0x0021, {1}},   {0x0022, {0}},   {0x0024, {81}},
    {0x002C, {14844}}, {0x002D, {2}},   {0x0032, {0}},   {0x0033, {0}},   {0x0038, {1}},
};

// The status field keywords in case order; value numbers 201-225 name
// "TpxSLM_" and the keyword.
const char *const kKeywords[] = {"SSR", "SFA", "RDC", "RST", "TLN", "FEP", "BST", "ECH", "PID",
                                 "TRB", "CHD", "CIL", "SPS", "OPT", "LVR", "MID", "HCU", "DJS",
                                 "DBS", "DWS", "DOC", "DSC", "CIR", "TNK", "REG"};

struct ValueName {
  int32_t number;
  std::string name;
};

std::vector<ValueName> AllValueNames() {
  std::vector<ValueName> names = {
      {1, "TpxUI_CustomPhotoDetect"},
      {2, "TpxUI_CustomECPMode"},
      {3, "TpxUI_CustomPausePage"},
      {4, "TpxUI_CustomPauseScan"},
      {5, "TpxUI_CustomPHAAfter"},
      {6, "TpxUI_CustomManualPHA"},
      {7, "TpxUI_CustomCleanAfter"},
      {8, "TpxUI_CustomEconomyClean"},
      {9, "TpxUI_CustomInkOutDetect"},
      {10, "TpxUI_CustomPreventTrans"},
      {11, "TpxUI_CustomEnableSealedPrintMode"},
      {12, "TpxUI_CustomEvenlyPrint"},
      {13, "TpxUI_CustomMediaDetection"},
      {51, "TpxUI_InkDry"},
      {101, "TpxSLM_CHDID"},
      {102, "TpxSLM_CartridgeDetectID"},
      {151, "TpxUI_AutoPowerOn"},
      {152, "TpxUI_AutoPowerOff"},
      {153, "TpxUI_SilentModeEnable"},
      {154, "TpxUI_SilentModeTime"},
      {156, "TpxUI_InkAlertEnable"},
      {157, "TpxUI_InkAlertMessage"},
      {301, "TpxSLM_DeviceID"},
      {302, "TpxSLM_Status"},
      {303, "TpxSLM_UserName"},
      {304, "TpxSLM_PaperSource"},
      {305, "TpxSLM_JobId"},
      {306, "TpxSLM_Page"},
      {307, "TpxSLM_Notify"},
      {308, "TpxSLM_ECP"},
      {309, "TpxSLM_BSCCStatus"},
      {310, "TpxSLM_TimeLastUpdated"},
      {311, "TpxSLM_CartridgeJobInfo"},
      {313, "TpxSLM_Version"},
      {314, "TpxSLM_LMStatusType"},
      {315, "TpxSLM_LMStatusNoofParam"},
      {316, "TpxSLM_LMStatusParam1"},
      {317, "TpxSLM_LMStatusParam2"},
      {318, "TpxSLM_LMStatusParam3"},
      {319, "TpxSLM_LMStatusParam4"},
      {320, "TpxSLM_LMStatusParam5"},
      {321, "TpxSLM_Bidirection"},
      {322, "TpxSLM_AllowCancel"},
      {323, "TpxSLM_WriteError"},
      {324, "TpxSLM_DifferentPrinter"},
      {325, "TpxSLM_StatusInfo"},
      {326, "TpxSLM_LMStatusMagicNumber"},
      {327, "TpxSLM_DisplayDialog"},
      {328, "TpxSLM_MonitorData"},
      {329, "TpxSLM_Message"},
      {330, "TpxSLM_MessageOption"},
      {331, "TpxSLM_CancelJobID"},
      {402, "TpxUI_ManageablePrinter"},
      {403, "TpxUI_ShipmentPlace"},
      {404, "TpxUI_LanguageDefault"},
      {405, "TpxUI_LanguageCurrent"},
      {406, "TpxUI_LanguageSelect"},
      {501, "TpxPP_Counter"},
      {502, "TpxPP_LMCheck"},
      {503, "TpxPP_TurnPage"},
      {504, "TpxPP_DupInfo"},
      {601, "TpxLM_NoResetPrinter"},
  };
  for (int i = 0; i < 25; ++i) names.push_back({201 + i, std::string("TpxSLM_") + kKeywords[i]});
  return names;
}

// A name arrives as its characters and a terminating zero unit.
void ExpectName(const Answer &a, const std::string &text, const std::string &what) {
  ASSERT_EQ(a.status, 0) << what;
  EXPECT_EQ(a.size, 2 * (text.size() + 1)) << what;
  ASSERT_GE(a.bytes.size(), 2u) << what;
  EXPECT_EQ(a.bytes[a.bytes.size() - 2], 0) << what;
  EXPECT_EQ(a.bytes[a.bytes.size() - 1], 0) << what;
  EXPECT_EQ(a.wide(), Utf16(text)) << what;
}

TEST(RootKeys, NamesArriveAsTerminatedWideStrings) {
  for (const NameCase &c : kNames) {
    Request req = Request::Standard(Database::Root);
    ExpectName(Ask(Database::Root, c.key, req), c.text, "key " + std::to_string(c.key));
  }
}

TEST(RootKeys, IntegersArriveWidened) {
  for (const IntCase &c : kInts) {
    Request req = Request::Standard(Database::Root);
    Answer a = Ask(Database::Root, c.key, req);
    ASSERT_EQ(a.status, 0) << c.key;
    EXPECT_EQ(a.ints(), c.want) << c.key;
  }
}

// Every integer leaf of the root is one value in the narrowest kind, but
// 0x0017 (two); the names are wide strings whose count includes the NUL.
TEST(RootKeys, LeavesTakeTheCataloguedKind) {
  const std::pair<uint32_t, NodeKind> kWider[] = {{0x0011, NodeKind::NK_INT16}, {0x002C, NodeKind::NK_INT16}};
  for (const IntCase &c : kInts) {
    Request req = Request::Standard(Database::Root);
    LeafDescriptor d{};
    ASSERT_EQ(LookupKey(CompiledImage(), c.key, &req.view(), &d), 0) << c.key;
    NodeKind want = NodeKind::NK_INT8;
    for (const auto &[key, kind] : kWider)
      if (key == c.key) want = kind;
    EXPECT_EQ(kindOf(d.word0), want) << c.key;
    EXPECT_EQ(countOf(d.word1), c.want.size()) << c.key;
  }
  for (const NameCase &c : kNames) {
    Request req = Request::Standard(Database::Root);
    LeafDescriptor d{};
    ASSERT_EQ(LookupKey(CompiledImage(), c.key, &req.view(), &d), 0) << c.key;
    EXPECT_EQ(kindOf(d.word0), NodeKind::NK_WIDE) << c.key;
    EXPECT_EQ(countOf(d.word1), std::string(c.text).size() + 1) << c.key;
  }
}

TEST(RootKeys, ValueNamesByNumber) {
  const std::vector<ValueName> names = AllValueNames();
  ASSERT_EQ(names.size(), 87u);
  std::set<std::string> distinct;
  for (const ValueName &v : names) {
    distinct.insert(v.name);
    Request req = Request::Standard(Database::Root);
    req.set(0, v.number);
    ExpectName(Ask(Database::Root, 8, req), v.name, "value " + std::to_string(v.number));
  }
  EXPECT_EQ(distinct.size(), 87u) << "every name is unique";
}

TEST(RootKeys, NumbersWithoutANameAnswerNotFound) {
  // The numbering has gaps, and there is no default.
  for (int32_t gap : {0,   -1,  14,  50,  52,  100, 103, 150, 155, 158, 200,
                      226, 300, 312, 332, 401, 407, 500, 505, 600, 602, 9999}) {
    Request req = Request::Standard(Database::Root);
    req.set(0, gap);
    EXPECT_EQ(Ask(Database::Root, 8, req).status, 1) << gap;
  }
  Request none = Request::Standard(Database::Root);
  none.ints.clear();
  EXPECT_EQ(Ask(Database::Root, 8, none).status, -3) << "no integer parameter to select on";
}

TEST(RootKeys, StatusFieldNamesByKeyword) {
  for (int i = 0; i < 25; ++i) {
    Request byKeyword = Request::Standard(Database::Root);
    byKeyword.setString(0, kKeywords[i]);
    const Answer a = Ask(Database::Root, 0x12, byKeyword);
    ExpectName(a, std::string("TpxSLM_") + kKeywords[i], kKeywords[i]);
    Request byNumber = Request::Standard(Database::Root);
    byNumber.set(0, 201 + i);
    EXPECT_EQ(a.bytes, Ask(Database::Root, 8, byNumber).bytes) << "key 8 number " << 201 + i;
  }
}

TEST(RootKeys, StatusFieldKeywordsAreExact) {
  for (const char *text : {"ssr", "Ssr", "SS", "SSRX", "SSR ", " SSR", "", "TpxSLM_SSR"}) {
    Request req = Request::Standard(Database::Root);
    req.setString(0, text);
    EXPECT_EQ(Ask(Database::Root, 0x12, req).status, 1) << '"' << text << '"';
  }
  Request absent = Request::Standard(Database::Root);
  absent.absentStrings[0] = true;
  EXPECT_EQ(Ask(Database::Root, 0x12, absent).status, 1) << "an absent string reads as the empty string";

  Request noStrings = Request::Standard(Database::Root);
  noStrings.strings.clear();
  noStrings.absentStrings.clear();
  EXPECT_EQ(Ask(Database::Root, 0x12, noStrings).status, -2);
}

TEST(RootKeys, TheRootIndexHoldsExactlyTheCatalogue) {
  // 18 names, 20 integer leaves and the two selects; every other root key
  // answers 3 (not in the index).
  std::set<uint32_t> listed = {0x0008, 0x0012};
  for (const NameCase &c : kNames) listed.insert(c.key);
  for (const IntCase &c : kInts) listed.insert(c.key);
  ASSERT_EQ(listed.size(), 40u);
  for (uint32_t key = 0x0001; key <= 0x0040; ++key) {
    if (listed.count(key)) continue;
    Request req = Request::Standard(Database::Root);
    EXPECT_EQ(Ask(Database::Root, key, req).status, 3) << key;
  }
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
