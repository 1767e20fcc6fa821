// kordump <file.kor>: prints the model file's texture table and object tree; exits with 1 and
// the loader's message for a file it rejects.
#include <cstdio>
#include <iostream>

#include "tools/kordump/KorDump.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <file.kor>\n", argv[0]);
    return 2;
  }
  return DumpModel(argv[1], std::cout, std::cerr);
}
