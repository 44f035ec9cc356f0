// m4k7-imagec: compiles the M4K7 content sources into the module's image.
//   m4k7-imagec --out FILE.cpp [--dump FILE.txt]
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "compiler.h"
#include "content.h"
#include "emit.h"
#include "print_mode_agreement.h"

int main(int argc, char **argv) {
  std::string outPath, dumpPath;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--out") == 0)
      outPath = argv[i + 1];
    else if (std::strcmp(argv[i], "--dump") == 0)
      dumpPath = argv[i + 1];
  }
  if (outPath.empty()) {
    std::fprintf(stderr, "usage: m4k7-imagec --out FILE.cpp [--dump FILE.txt]\n");
    return 2;
  }
  imagec::ImageBuilder content;
  imagec::AddM4k7Content(content);
  imagec::ImageTables tables;
  std::string error;
  if (!imagec::Compile(content, &tables, &error) ||
      !imagec::CheckPrintModeAgreement(tables.descriptor(), &error)) {
    std::fprintf(stderr, "image: %s\n", error.c_str());
    return 1;
  }
  std::ofstream(outPath) << imagec::EmitImageSource(tables);
  if (!dumpPath.empty()) std::ofstream(dumpPath) << "# " << imagec::CountsLine(tables) << "\n";
  std::printf("m4k7 image: %s\n", imagec::CountsLine(tables).c_str());
  return 0;
}
