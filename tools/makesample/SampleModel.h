// A small model in a format people use, made from code so it can be rebuilt byte for byte: a
// plank crate (textured, with its own normals) standing on an octagonal plinth (a plain red
// material, no texture, no normals, eight-sided caps), as "crate.obj", "crate.mtl" and
// "crate_wood.png". It exercises what korconvert does with each: textures, material colours,
// generated normals and polygons of more than four indices.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TSampleFile {
  std::string Name;
  std::vector<uint8_t> Bytes;
};

// Every file, in a fixed order. Nothing depends on time, locale or the machine's state.
std::vector<TSampleFile> MakeSampleFiles();

// Writes them into Directory (which must exist); throws std::runtime_error naming the file that
// could not be written.
void WriteSampleFiles(const std::string& Directory);
