// Grouped keys 4120-4125: the driver sends their concatenated fragments on
// to the printer, 4120's start block first and 4121 before every page. Each
// entry is a small tree whose leaves are fragments tagged 0x5008.
#include "driver_content.h"

#include <algorithm>

namespace imagec::driver {

namespace {

using namespace std::string_view_literals;

// The start block: the parallel-port mode follows the printer's stored
// "TpxUI_CustomECPMode" (value number 2); 0 means nibble, any other value,
// or none stored, ECP.
NodeRef StartBlock(ImageBuilder &b) {
  auto block = [](std::string_view parallel) {
    std::string text("\x1B[K\x02\x00\x00\x1F"
                     "QXLSTART\x0A"
                     "ControlMode=Common\x0A"sv);
    text.append(parallel);
    text.append("\x0AQXLEND\x0A"
                "\x1B[K\x02\x00\x00\x0F"sv);
    return text;
  };
  constexpr uint16_t kCustomEcpMode = 2;
  return b.selectPrinterData(kCustomEcpMode,
                             {
                                 is(0, b.bytes(kFragmentKey, block("SelectParallel=Nibble"))),
                                 otherwise(b.bytes(kFragmentKey, block("SelectParallel=ECP"))),
                             });
}

// The option command, only when the driver sets bit 0x800000 of I[79].
NodeRef OptionCommand(ImageBuilder &b) {
  constexpr uint32_t kOptionBit = 0x800000;
  return b.selectMasked(
      79, kOptionBit,
      {is(int32_t(kOptionBit), b.computed(kFragmentKey, m4k7::ComputedValueId::CV_OPTION_COMMAND))});
}

// ESC ( l carries two data bytes: the paper source picks the first ...
NodeRef PaperSource(ImageBuilder &b) {
  return b.guarded(7, {
                          b.guard(4, {b.bytes(kFragmentKey, "\x1B(l\x02\x00"
                                                            "1"sv)}),
                          b.guard(7, {b.bytes(kFragmentKey, "\x1B(l\x02\x00"
                                                            "4"sv)}),
                      });
}

// ... and the media the second.
NodeRef MediaByte(ImageBuilder &b) {
  struct Byte {
    int32_t media;
    uint8_t byte;
  };
  static constexpr Byte kMediaBytes[] = {{1, 0x00},   {2, 0x02},   {258, 0x03}, {259, 0x04}, {262, 0x09},
                                         {263, 0x08}, {270, 0x09}, {271, 0x07}, {273, 0x03}, {275, 0x0F},
                                         {276, 0x06}, {277, 0x05}, {283, 0x09}};
  constexpr int32_t kAlways0A = 279; // 0x0A on every paper size
  auto byte = [&b](uint8_t value) { return b.bytes(kFragmentKey, std::string(1, char(value))); };
  NodeRef byte0A = byte(0x0A); // also the byte of paper sizes 272 and 273 on every media

  std::vector<Case> byMedia;
  for (int32_t media : kMediaTypes) {
    if (media == kAlways0A) {
      byMedia.push_back(is(media, byte0A));
      continue;
    }
    const Byte *own = std::find_if(std::begin(kMediaBytes), std::end(kMediaBytes),
                                   [media](const Byte &m) { return m.media == media; });
    byMedia.push_back(
        is(media, b.select(28, {is(272, byte0A), is(273, byte0A), otherwise(byte(own->byte))})));
  }
  return b.select(52, {is(5, byte(0x0B)), otherwise(b.select(5, byMedia))});
}

} // namespace

void AddGroupedLists(ImageBuilder &b, NodeRef printModeTree, NodeRef paperSizeTree) {
  NodeRef escB1 = b.bytes(kFragmentKey, "\x1B(b\x01\x00\x01"sv);
  NodeRef paperSource = PaperSource(b);
  NodeRef mediaByte = MediaByte(b);
  NodeRef startBlock = StartBlock(b);
  NodeRef option = OptionCommand(b);
  NodeRef escQ = b.bytes(kFragmentKey, "\x1B(q\x01\x00\x00"sv);
  NodeRef escE = b.bytes(kFragmentKey, "\x1B(e\x02\x00\x00\x01\x0C"sv);
  NodeRef escB0 = b.bytes(kFragmentKey, "\x1B(b\x01\x00\x00"sv);
  NodeRef escAt = b.bytes(kFragmentKey, "\x1B@"sv);

  b.groupedList(4121, {escB1, printModeTree, paperSizeTree, paperSource, mediaByte});
  b.groupedList(4120, {startBlock, option});
  b.groupedList(4122, {escQ});
  b.groupedList(4125, {escE});
  b.groupedList(4124, {escB0});
  b.groupedList(4123, {escAt});
  b.nameCodeKey(4120, "job start: control-language block and option command", "grouped list");
  b.nameCodeKey(4121, "page start: print mode, page format, paper source, media", "grouped list");
  b.nameCodeKey(4122, "job start: ESC ( q", "grouped list");
  b.nameCodeKey(4123, "job start: ESC @", "grouped list");
  b.nameCodeKey(4124, "page end: ESC ( b 0", "grouped list");
  b.nameCodeKey(4125, "job end: ESC ( e", "grouped list");

  // Every node hangs below node 0. The print-mode and paper-size trees are
  // roots already; the other entries hang through one-child sequences, the
  // paper-source node directly, and a guard per media with nothing below.
  for (NodeRef entry : {escB1, mediaByte, startBlock, option, escQ, escE, escB0, escAt})
    b.hang(b.sequence({entry}));
  b.hang(paperSource);
  std::vector<NodeRef> mediaGuards;
  for (int32_t media : kMediaTypes) mediaGuards.push_back(b.guard(uint16_t(media), {}));
  b.hang(b.guarded(5, mediaGuards));
}

} // namespace imagec::driver
