// m4k7db check: validate the compiled-in image and print its counts.
#include <ostream>

#include "args.h"
#include "cli.h"
#include "engine/image.h"
#include "json.h"
#include "request.h"
#include "validate.h"

namespace m4k7cli {

namespace {

const char kHelp[] = R"(Usage: m4k7db check [--format text|json]

Validates the compiled-in database image against the invariants of its
format (the same checks the image compiler runs before it emits the image:
every reference inside its table, every list inside the node table, leaves
inside their pools, cases where cases belong) and prints the image's counts:
nodes, keys per database, pool sizes, the grouped-list, item-list and
print-mode tables.

Exit status: 0 valid, 2 invalid (the problems are listed), 64 bad usage.

Examples:
  m4k7db check
  m4k7db check --format json
)";

} // namespace

int RunCheck(const Args &args, std::ostream &out, std::ostream &err) {
  CommandLine cl;
  if (int code = StartCommand(args, {"check", kHelp, kAcceptFormat}, &cl, out, err); code != kGoOn)
    return code;
  const m4k7::ImageDescriptor &image = m4k7::CompiledImage();
  std::vector<std::string> problems;
  bool valid = m4k7::imageview::ValidateImage(image, &problems);

  // Keys per database, and the internal ones no function accepts.
  std::vector<std::pair<std::string, uint32_t>> perDatabase;
  for (const DatabaseInfo &db : Databases()) perDatabase.emplace_back(db.name, 0);
  perDatabase.emplace_back("internal", 0);
  for (uint32_t i = 0; image.keys && i < image.keyCount; ++i)
    for (auto &[name, n] : perDatabase) n += name == DatabaseNameOf(image.keys[i]) ? 1 : 0;
  std::vector<std::pair<std::string, uint64_t>> counts;
#define M4K7_IMAGE_TABLE(member, type, count, per, array, name, label, ...)                                  \
  if (*label) counts.emplace_back(label, image.count);
#include "engine/image_tables.def"

  if (cl.format == "json") {
    Json o = Json::object();
    o.set("valid", valid);
    o.set("problems", Json::arrayOf(problems));
    Json c = Json::object();
    for (const auto &[name, n] : counts) c.set(name, n);
    o.set("counts", std::move(c));
    Json k = Json::object();
    for (const auto &[name, n] : perDatabase) k.set(name, n);
    o.set("keysByDatabase", std::move(k));
    o.set("stats", m4k7::imageview::StatsLine(m4k7::imageview::MeasureImage(image)));
    std::vector<uint16_t> keys(image.keys, image.keys + (image.keys ? image.keyCount : 0));
    o.set("keys", Json::arrayOf(keys));
    out << o << '\n';
  } else {
    out << "image: " << (valid ? "valid" : "INVALID") << '\n';
    for (const std::string &p : problems) out << "  " << p << '\n';
    for (const auto &[name, n] : counts) {
      std::string label = "  " + name;
      label.resize(20, ' ');
      out << label << n << '\n';
    }
    out << "  " << m4k7::imageview::StatsLine(m4k7::imageview::MeasureImage(image)) << '\n';
    out << "  keys by database:";
    for (size_t i = 0; i < perDatabase.size(); ++i)
      out << (i ? ", " : " ") << perDatabase[i].first << ' ' << perDatabase[i].second;
    out << '\n';
  }
  return valid ? kExitOk : kExitError;
}

} // namespace m4k7cli
