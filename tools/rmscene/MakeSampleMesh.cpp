// make_sample_mesh: writes the retained-mode sample mesh (SampleMesh.h).
//
//   make_sample_mesh OUTPUT.x        (the committed copy is assets/sample.x)
#include <cstdio>
#include <fstream>

#include "tools/rmscene/SampleMesh.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.x\n", argv[0]);
    return 2;
  }
  std::ofstream file(argv[1], std::ios::binary);
  file << SampleMeshText();
  if (!file.flush()) {
    std::fprintf(stderr, "make_sample_mesh: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
