// kordump FILE.kor: prints the model file's texture table and object tree; exits with 1 and
// the loader's message for a file it rejects.
#include <cstdio>
#include <cstring>
#include <iostream>

#include "tools/kordump/KorDump.h"

namespace {

void Usage(std::FILE* To, const char* Program) {
  std::fprintf(To,
               "usage: %s FILE.kor\n"
               "Prints a \".kor\" model file for people: its size, the texture table (each\n"
               "bitmap's size and depth, looked up beside the file) and the object tree (tags,\n"
               "counts, boxes, matrices, the textures the faces use). Bytes of the file that\n"
               "are not printable are shown as \\xNN.\n"
               "Exit status: 0 shown, 1 the file was rejected (the loader's message on the\n"
               "error output), 2 wrong arguments.\n",
               Program);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    Usage(stdout, argv[0]);
    return 0;
  }
  // An option we do not know is not taken for a file name ("./-x.kor" names such a file).
  if (argc != 2 || argv[1][0] == '-') {
    Usage(stderr, argv[0]);
    return 2;
  }
  return DumpModel(argv[1], std::cout, std::cerr);
}
