// The printer's capabilities as one model: what the driver's lists, the
// paper-size tree and the print-mode table answer, asked through the public
// functions in the order the driver's dialog asks them. `settings`,
// `capabilities` and `datasheet` are views of it.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "args.h"
#include "cli.h"
#include "decode.h"
#include "request.h"

namespace m4k7cli {

// A list's answer: the status of its key and, when that is ok, its items.
struct ListAnswer {
  AccessStatus status = 0;
  std::vector<ListItemView> items;
};

// An I[6] value of a quality and whether the driver finds a print-mode
// record (key 4126) for it.
struct PrintModeValue {
  ListItemView item{};
  AccessStatus recordStatus = 0; // key 4126
  bool hasRecord() const { return recordStatus == M4K7DB_OK; }
};

struct QualityCaps {
  ListItemView item{};          // attr1, attr2: keys 20486 and 20487
  AccessStatus modesStatus = 0; // key 4116
  std::vector<PrintModeValue> modes;
  // Key 4104 asked with the quality and its first I[6] value: the
  // resolution [x, y] in dots per inch.
  AccessStatus resolutionStatus = 0;
  int32_t resolutionX = 0, resolutionY = 0;
};

struct MediaCaps {
  ListItemView item{};              // attr1: the media's string id
  ListAnswer sources;               // key 4114
  AccessStatus qualitiesStatus = 0; // key 4118
  std::vector<QualityCaps> qualities;
};

struct InkCaps {
  ListItemView item{};
  AccessStatus mediaStatus = 0; // key 4110
  std::vector<MediaCaps> media;
};

// A paper size in one margin mode (I[52]): the printable area and margins
// in 0.01 mm, and the page length in 1/60 inch.
struct SizeArea {
  int32_t marginMode = 0;
  AccessStatus areaStatus = 0;   // key 0x1001: printable [width, height]
  AccessStatus marginStatus = 0; // key 0x1002: [top, left] margins
  int32_t printableWidth = 0, printableHeight = 0, top = 0, left = 0;
  AccessStatus pageLengthStatus = 0; // key 4147
  int32_t pageLength = 0;
  bool known() const { return areaStatus == M4K7DB_OK && marginStatus == M4K7DB_OK; }
};

struct PaperSizeCaps {
  ListItemView item{};          // attr1: string id; attr2: key 20494; attr3: 0 printable
  std::string name;             // the content's name, empty where it has none
  bool printable = false;       // in key 4112's list
  AccessStatus paperStatus = 0; // key 0x1003: paper [width, height] in 0.01 mm
  int32_t width = 0, height = 0;
  SizeArea normal, fullLength;
  // Key 0x1004: the area computed from the caller's dimensions (I[29],
  // I[30]); ok only for the user-defined size.
  AccessStatus computedStatus = 0;
  bool hasPaper() const { return paperStatus == M4K7DB_OK; }
  // Right and bottom margins: what the paper leaves beside the printable
  // area; meaningful when hasPaper() and the area is known().
  int32_t right(const SizeArea &a) const { return width - a.left - a.printableWidth; }
  int32_t bottom(const SizeArea &a) const { return height - a.top - a.printableHeight; }
};

// The user-defined size's rules, asked with the dimensions of a listed size
// (the first printable one with paper dimensions): key 0x1004 in both margin
// modes and key 4147 in the full-length mode.
struct UserDefinedCaps {
  bool asked = false;
  int32_t sizeId = 0;    // the user-defined size's id (key 0x1004 answers for it)
  int32_t probeSize = 0; // the listed size whose dimensions were given
  int32_t probeWidth = 0, probeHeight = 0;
  SizeArea normal, fullLength; // areaStatus from 0x1004; left/top/width/height from it
};

// A list's marked item along the defaults: the dialog's initial choice.
struct ListDefault {
  uint16_t key = 0;
  uint32_t slot = 0; // the setting its id is a value for (list_keys.h `chooses`)
  bool marked = false;
  int32_t id = 0;
  int32_t mark = 0;
};

struct Capabilities {
  std::string request; // the request's summary
  AccessStatus versionStatus = 0;
  std::string version; // root key 2

  AccessStatus sizesStatus = 0, printableStatus = 0; // keys 4113, 4112
  std::vector<PaperSizeCaps> sizes;
  UserDefinedCaps userDefined;

  AccessStatus inksStatus = 0; // key 4108
  std::vector<InkCaps> inks;

  int32_t normalMarginMode = 0; // the request's I[52], or 0 when that is the full-length mode
  bool askedFullLength = false; // false when the request itself asks the full-length mode
  ListAnswer fullLengthSources; // key 4114 with I[52] = kMarginModeFullPage

  // The marked items from the top down: ink count, media, source, quality,
  // I[6] value, each under the defaults above it.
  std::vector<ListDefault> defaults;

  // The exit status of the lists the settings command shows: 2 for a
  // negative status of any list or print-mode record, else 1 when the ink
  // list has no answer, else 0.
  int listsExit = kExitOk;

  const PaperSizeCaps *findSize(int32_t id) const;
  const ListDefault *defaultFor(uint32_t slot) const;
};

// The setting a list's ids are values for, from the list configuration.
uint32_t ChosenSlot(uint16_t listKey);

// Asks the driver database with the request (whose integer slots it changes
// and restores) and the root database for the version. The request must
// have the driver's slots up to I[81].
Capabilities BuildCapabilities(OwnedRequest &request);

// The whole model as JSON.
Json CapabilitiesJson(const Capabilities &caps);
// {"id": …, "mark": …}
Json ItemJson(const ListItemView &item);
// An item's id with its mark as the views show it: "7", "7*" (marked 1),
// "7*2" (marked 2).
std::string MarkedId(const ListItemView &item);

// The driver request every view of the model asks with: the driver's
// defaults unless --no-defaults, then the command line's settings, with the
// slots up to I[81] that the lists read. kGoOn, or the exit code after a
// message on err.
int BuildModelRequest(CommandLine &cl, std::string_view command, OwnedRequest *request, std::ostream &err);

} // namespace m4k7cli
