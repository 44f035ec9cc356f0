// m4k7db: asks the database one question the way a component would.
//   m4k7db get DB KEY [--int N=V] [--str N=TEXT] [--printer NAME]
// DB is root, drv, lm, mnt, pa or sm. Exit 0 on an answer, 1 when there is
// none (status 1 or 3), 2 on a failure status, 64 on bad usage.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "api/access.h"
#include "engine/engine.h"

namespace {

using m4k7::Database;

int Usage(const char *why) {
  std::fprintf(stderr, "m4k7db: %s\nusage: m4k7db get DB KEY [--int N=V] [--str N=TEXT] [--printer NAME]\n",
               why);
  return 64;
}

bool ParseNumber(const char *text, long long *value) {
  char *end = nullptr;
  *value = std::strtoll(text, &end, 0);
  return end != text && *end == '\0';
}

bool DatabaseOf(const std::string &name, Database *db) {
  const char *names[] = {"root", "drv", "lm", "mnt", "pa", "sm"};
  for (int i = 0; i < 6; ++i)
    if (name == names[i]) return *db = Database(i), true;
  return false;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 4 || std::strcmp(argv[1], "get") != 0) return Usage("expected: get DB KEY");
  Database db{};
  if (!DatabaseOf(argv[2], &db)) return Usage("unknown database (root, drv, lm, mnt, pa, sm)");
  long long key = 0;
  if (!ParseNumber(argv[3], &key) || key < 0 || key > 0xFFFFFFFFLL) return Usage("KEY must be a number");

  static const uint32_t kInts[] = {1, 106, 14, 1, 4, 17}, kStrings[] = {1, 0, 5, 0, 0, 9};
  std::vector<int32_t> ints(kInts[int(db)], 0);
  std::vector<std::string> strings(kStrings[int(db)]);
  std::u16string printer;
  for (int i = 4; i < argc; ++i) {
    const std::string opt = argv[i];
    if (i + 1 >= argc) return Usage("option without a value");
    const std::string value = argv[++i];
    if (opt == "--printer") {
      printer.assign(value.begin(), value.end());
      continue;
    }
    const size_t eq = value.find('=');
    long long slot = 0, number = 0;
    if (eq == std::string::npos || !ParseNumber(value.substr(0, eq).c_str(), &slot) || slot < 0 ||
        slot > 1000)
      return Usage("expected N=VALUE with a slot number N");
    if (opt == "--int") {
      if (!ParseNumber(value.substr(eq + 1).c_str(), &number)) return Usage("--int needs a number");
      if (size_t(slot) >= ints.size()) ints.resize(size_t(slot) + 1, 0);
      ints[size_t(slot)] = int32_t(number);
    } else if (opt == "--str") {
      if (size_t(slot) >= strings.size()) strings.resize(size_t(slot) + 1);
      strings[size_t(slot)] = value.substr(eq + 1);
    } else {
      return Usage("unknown option");
    }
  }
  std::vector<const char *> pointers;
  for (const std::string &s : strings) pointers.push_back(s.c_str());
  AccessRequest request{};
  request.intParamCount = uint32_t(ints.size());
  request.intParams = ints.empty() ? nullptr : ints.data();
  request.stringParamCount = uint32_t(pointers.size());
  request.stringParams = pointers.empty() ? nullptr : pointers.data();
  request.printerName = printer.empty() ? nullptr : reinterpret_cast<const uint16_t *>(printer.c_str());

  const m4k7::ImageDescriptor &image = m4k7::CompiledImage();
  uint32_t size = 0;
  AccessStatus status = m4k7::AccessDatabase(image, db, uint32_t(key), &request, 0, nullptr, &size);
  std::vector<uint8_t> answer;
  if (status == M4K7DB_BUFFER_TOO_SMALL) {
    answer.resize(size ? size : 1);
    status = m4k7::AccessDatabase(image, db, uint32_t(key), &request, size, answer.data(), &size);
    answer.resize(status == M4K7DB_OK ? size : 0);
  }
  std::printf("status %d (%s), size %u\n", int(status), m4k7::StatusName(status), unsigned(answer.size()));
  if (status != M4K7DB_OK) return status == M4K7DB_NOT_FOUND || status == M4K7DB_UNKNOWN_KEY ? 1 : 2;

  // The leaf's kind says how to read the bytes.
  m4k7::LeafDescriptor leaf{};
  const bool known = m4k7::LookupKey(image, uint32_t(key), &request, &leaf) == M4K7DB_OK;
  const m4k7::NodeKind kind = known ? m4k7::kindOf(leaf.word0) : m4k7::NodeKind::NK_BYTES;
  if (kind == m4k7::NodeKind::NK_WIDE) {
    std::string text;
    for (size_t i = 0; i + 1 < answer.size(); i += 2)
      if (answer[i] || answer[i + 1]) text += answer[i + 1] ? '?' : char(answer[i]);
    std::printf("\"%s\"\n", text.c_str());
  } else if (kind == m4k7::NodeKind::NK_BYTES || kind == m4k7::NodeKind::NK_COMPUTED) {
    for (size_t i = 0; i < answer.size(); ++i) std::printf("%s%02X", i ? " " : "", answer[i]);
    std::printf("\n");
  } else {
    for (size_t i = 0; i + 4 <= answer.size(); i += 4) {
      int32_t v = 0;
      std::memcpy(&v, answer.data() + i, 4);
      std::printf("%s%d", i ? ", " : "[", int(v));
    }
    std::printf("]\n");
  }
  return 0;
}
