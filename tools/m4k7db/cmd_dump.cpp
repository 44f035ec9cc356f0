// m4k7db dump [KEY...] [--format text|dot]: the image as a readable tree, or
// a Graphviz graph of some keys' trees.
#include <algorithm>
#include <ostream>

#include "args.h"
#include "cli.h"
#include "dot.h"
#include "dump.h"
#include "engine/image.h"
#include "text.h"

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db dump [KEY...] [--format text|dot]

Prints the compiled-in database image.

  --format text   (default) the image as a readable tree: without KEYs the
                  whole image, the same text as the build's golden dump
                  (generated/image_dump.txt); with KEYs only their trees
  --format dot    a Graphviz graph of the trees of the KEYs given (at least
                  one): selectors as diamonds with their cases on the edges,
                  leaves of the KEYs filled, leaves of other keys that share
                  the tree dashed, broken references in red

KEY is decimal or 0x hex, 1 to 0xFFFF, and must be in the key index
(internal keys such as 0x5008 included).

Exit status: 0 printed, 1 a KEY is not in the index, 64 bad usage.

Examples:
  m4k7db dump > image.txt
  m4k7db dump 0x0008
  m4k7db dump 0x1003 --format dot | dot -Tpng -o paper.png
  m4k7db dump 4108 4110 0x5003 --format dot > lists.dot
)";

} // namespace

int RunDump(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  const CommandShape shape{"dump", kHelp, kAcceptFormat, SIZE_MAX, {"text", "dot"}};
  if (int code = StartCommand(args, shape, &cl, out, err); code != kGoOn) return code;
  std::string error;
  std::vector<uint32_t> keys;
  for (const std::string &text : cl.positional) {
    uint32_t key = 0;
    if (!ParseKey(text, &key, &error)) return Usage(err, "dump", error);
    if (key == 0 || key > 0xFFFF)
      return Usage(err, "dump", "key \"" + text + "\": image keys run from 1 to 0xFFFF");
    keys.push_back(key);
  }
  const m4k7::ImageDescriptor &image = m4k7::CompiledImage();
  const uint16_t *indexEnd = image.keys ? image.keys + image.keyCount : nullptr;
  for (uint32_t key : keys)
    if (std::find(image.keys, indexEnd, key) == indexEnd) {
      err << "m4k7db dump: key " << HexKey(key) << " is not in the key index\n";
      return kExitNoAnswer;
    }
  if (cl.format == "dot") {
    if (keys.empty()) return Usage(err, "dump", "--format dot needs at least one KEY");
    if (!WriteDot(out, image, keys, &error)) {
      err << "m4k7db dump: " << error << '\n';
      return kExitNoAnswer;
    }
    return kExitOk;
  }
  m4k7::imageview::DumpOptions options;
  options.keys.assign(keys.begin(), keys.end());
  options.names = &m4k7::imageview::CompiledKeyCatalogue();
  out << m4k7::imageview::DumpImage(image, options);
  return kExitOk;
}

} // namespace m4k7cli
