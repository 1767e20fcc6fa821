// The demo's working-directory files, made from code so they can be rebuilt byte for byte:
// "wisp2.kor", the two bitmaps its texture table names, and "meta.bmp".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TAssetFile {
  std::string Name;  // file name inside the assets directory
  std::vector<uint8_t> Bytes;
};

// Every asset, in a fixed order. Nothing depends on time, locale or the machine's state.
std::vector<TAssetFile> MakeAssetFiles();

// Writes every asset into Directory (which must exist); throws std::runtime_error naming the
// file that could not be written.
void WriteAssetFiles(const std::string& Directory);
