// makesample [DIRECTORY]: writes the korconvert sample model (default: the working directory).
#include <cstdio>
#include <exception>

#include "tools/makesample/SampleModel.h"

int main(int argc, char** argv) {
  try {
    WriteSampleFiles(argc > 1 ? argv[1] : ".");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "makesample: %s\n", error.what());
    return 1;
  }
  return 0;
}
