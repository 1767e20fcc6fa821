// makeassets <directory>: writes the demo's model, its bitmaps and meta.bmp into the directory.
#include <cstdio>
#include <exception>

#include "tools/makeassets/MakeAssets.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <assets directory>\n", argv[0]);
    return 2;
  }
  try {
    WriteAssetFiles(argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "makeassets: %s\n", error.what());
    return 1;
  }
  for (const TAssetFile& file : MakeAssetFiles()) {
    std::printf("%s/%s  %zu bytes\n", argv[1], file.Name.c_str(), file.Bytes.size());
  }
  return 0;
}
