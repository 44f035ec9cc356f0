// The root database: the package's component and file names, a few
// switches, and the names of the printer's stored values.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "content.h"

namespace imagec {

namespace {

// The status field keywords, in case order; value numbers 201-225 name
// "TpxSLM_" followed by each.
constexpr const char *kStatusKeywords[] = {"SSR", "SFA", "RDC", "RST", "TLN", "FEP", "BST", "ECH", "PID",
                                           "TRB", "CHD", "CIL", "SPS", "OPT", "LVR", "MID", "HCU", "DJS",
                                           "DBS", "DWS", "DOC", "DSC", "CIR", "TNK", "REG"};

struct NumberedName {
  int32_t number;
  const char *name;
};

// Printer-data value names by value number (the I[0] cases of key 8),
// except 201-225, which follow the keywords.
constexpr NumberedName kValueNames[] = {
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

struct RootName {
  Key key;
  const char *name; // what the key answers
  const char *text;
};

constexpr RootName kNames[] = {
    {0x0002, "database version text", "1.62"},
    {0x0003, "DLL name tpxub1o.dll", "tpxub1o.dll"},
    {0x000A, "program name tpxsm1o.exe", "tpxsm1o.exe"},
    {0x000B, "help file name tpxsh1o.hlp", "tpxsh1o.hlp"},
    {0x0010, "help file name tpxmh1o.hlp", "tpxmh1o.hlp"},
    {0x0013, "DLL name tpxur1o.dll", "tpxur1o.dll"},
    {0x0014, "DLL name tpxsr1o.dll", "tpxsr1o.dll"},
    {0x0018, "DLL name tpxpi1o.dll", "tpxpi1o.dll"},
    {0x0019, "port driver's name", "Kelvo QX Port Driver Tpxpar11"},
    {0x001A, "file name tpxss1o.smr", "tpxss1o.smr"},
    {0x001B, "program name tpxss1o.exe", "tpxss1o.exe"},
    {0x001C, "status monitor's name", "QX Status Monitor"},
    {0x001D, "settings file name tpxin1o.ini", "tpxin1o.ini"},
    {0x0023, "print processor's name", "Kelvo QX M4K7 Print Processor"},
    {0x0025, "program name tpxsd1o.exe", "tpxsd1o.exe"},
    {0x0026, "DLL name tpxpp1o.dll", "tpxpp1o.dll"},
    {0x0027, "DLL name tpxfu1o.dll", "tpxfu1o.dll"},
    {0x002E, "program name tpxsq1o.exe", "tpxsq1o.exe"},
};

struct RootInts {
  Key key;
  std::vector<int64_t> values;
};

// Fixed numbers whose meaning the calling components keep.
const RootInts kInts[] = {
    {0x0004, {1}},     {0x0005, {104}}, {0x0006, {105}}, {0x0007, {102}}, {0x0009, {0}},
    {0x000C, {1}},     {0x000D, {0}},   {0x000E, {8}},   {0x000F, {0}},   {0x0011, {17603}},
    {0x0017, {3, 1}},  {0x001F, {0}},   {0x0021, {1}},   {0x0022, {0}},   {0x0024, {81}},
    {0x002C, {14844}}, {0x002D, {2}},   {0x0032, {0}},   {0x0033, {0}},   {0x0038, {1}},
};

constexpr Key kValueNameKey = 0x0008;
constexpr Key kStatusFieldKey = 0x0012;
constexpr int32_t kFirstStatusField = 201;

} // namespace

void AddRootKeys(ImageBuilder &b) {
  for (const RootName &n : kNames) b.key(n.key, n.name, b.wide(n.key, n.text));
  for (const RootInts &n : kInts) b.key(n.key, "fixed root number", b.ints(n.key, n.values));

  // Value numbers name printer-data values, ascending; 201-225 are the
  // status fields, which key 0x0012 also answers by keyword (its own leaves,
  // the same texts).
  std::vector<std::pair<int32_t, std::string>> names;
  for (const NumberedName &v : kValueNames) names.emplace_back(v.number, v.name);
  std::vector<StringCase> byKeyword;
  int32_t number = kFirstStatusField;
  for (const char *keyword : kStatusKeywords) {
    const std::string name = std::string("TpxSLM_") + keyword;
    names.emplace_back(number++, name);
    byKeyword.push_back(text(keyword, b.wide(kStatusFieldKey, name)));
  }
  std::sort(names.begin(), names.end());
  std::vector<Case> byNumber;
  for (const auto &[n, name] : names) byNumber.push_back(is(n, b.wide(kValueNameKey, name)));
  b.key(kValueNameKey, "printer-data value name by number", b.select(0, byNumber));
  b.key(kStatusFieldKey, "printer-data value name by status field keyword", b.selectString(0, byKeyword));
}

} // namespace imagec
