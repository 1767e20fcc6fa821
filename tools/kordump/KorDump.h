// Shows a ".kor" file the way a person wants to read it: the texture table with each bitmap's
// size, then the object tree (children indented under their parent, each object with its file
// index, tag, counts, box, matrices and the textures its faces use).
#pragma once

#include <iosfwd>
#include <string>

#include "model/LoadModel.h"
#include "tools/kordump/BitmapProbe.h"
// Text taken from a file, safe to print on a terminal: bytes outside printable ASCII become
// "\xNN" and a backslash becomes "\\", so a name can never move the cursor, ring the bell or
// change the terminal's state.
std::string PrintableText(const std::string& Text);

// Prints FileName to Out and returns 0; for a file the loader rejects, prints the loader's
// message to Err and returns 1.
int DumpModel(const std::string& FileName, std::ostream& Out, std::ostream& Err);

// Prints a model LoadModel has already built (with Index filled): the file's size, the texture
// table with the bitmap facts known for each name, the tree and the objects left out of it.
// The model viewer shows the same text.
void PrintModel(std::ostream& Out, const std::string& FileName, const TKorModelIndex& Index,
                const TKorObject* Root, const TBitmapFactsByName& Facts);
