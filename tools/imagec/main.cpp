// m4k7-imagec: compiles the M4K7 content sources into the module's image.
//   m4k7-imagec --out FILE.cpp [--dump FILE.txt] [--names FILE.cpp]
// --names writes the tools' key-name table, which the module never links.
// Writes nothing unless the whole image passes its checks.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "content.h"
#include "dump.h"
#include "emit.h"
#include "key_catalogue.h"

namespace {

// Written beside the target and renamed, so that a failed write never
// leaves half a file for the next build to trust.
bool WriteFile(const std::string &path, const std::string &text) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

int Usage() {
  std::fprintf(stderr, "usage: m4k7-imagec --out FILE.cpp [--dump FILE.txt] [--names FILE.cpp]\n");
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  std::string outPath, dumpPath, namesPath;
  const std::pair<const char *, std::string *> paths[] = {
      {"--out", &outPath}, {"--dump", &dumpPath}, {"--names", &namesPath}};
  for (int i = 1; i < argc; i += 2) {
    auto option = std::find_if(std::begin(paths), std::end(paths),
                               [&](const auto &o) { return std::strcmp(argv[i], o.first) == 0; });
    if (i + 1 == argc || option == std::end(paths)) return Usage();
    *option->second = argv[i + 1];
  }
  if (outPath.empty()) return Usage();

  imagec::ImageBuilder content;
  imagec::AddM4k7Content(content);
  imagec::ImageTables tables;
  imagec::KeyCatalogueTables names;
  std::string error;
  if (!imagec::BuildImage(content, &tables, &error) || !imagec::BuildKeyCatalogue(content, &names, &error)) {
    std::istringstream lines(error);
    for (std::string line; std::getline(lines, line);) std::fprintf(stderr, "image: %s\n", line.c_str());
    return 1;
  }
  const std::string source = imagec::EmitImageSource(tables);
  const m4k7::imageview::KeyCatalogue catalogue = names.view();
  m4k7::imageview::DumpOptions options;
  options.names = &catalogue;
  const std::string dump =
      dumpPath.empty() ? std::string() : m4k7::imageview::DumpImage(tables.descriptor(), options);
  if (!WriteFile(outPath, source) || (!dumpPath.empty() && !WriteFile(dumpPath, dump)) ||
      (!namesPath.empty() && !WriteFile(namesPath, imagec::EmitKeyCatalogueSource(names)))) {
    std::fprintf(stderr, "m4k7-imagec: cannot write %s\n", outPath.c_str());
    return 1;
  }
  std::printf("m4k7 image: %s\n", imagec::CountsLine(tables).c_str());
  return 0;
}
