// m4k7db: the command-line tool over the M4K7 printer database.
#include <iostream>

#include "cli.h"

int main(int argc, char **argv) {
  m4k7cli::Args args(argv + 1, argv + argc);
  int code = m4k7cli::RunTool(args, std::cout, std::cerr);
  std::cout.flush();
  return std::cout.good() ? code : m4k7cli::kExitError;
}
