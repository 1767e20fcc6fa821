// Model files for the viewer's tests, written into a temporary folder with the bitmap they
// name ("box.bmp", a copy of one of the demo's bitmaps).
#pragma once

#include <string>

#include "model/KorWriter.h"
#include "tests/support/TempDirectory.h"

// A box of edge Size centred at Centre: 8 vertices, 6 textured quads. With a Parent matrix
// the box hangs as object 1 under an empty object 0 whose Local is Parent.
TKorFileRecord BoxModel(Vector3 Centre, float Size, const Matrix4* Parent = nullptr);

// A flat grid of Cells x Cells textured quads in the plane z = 0, Size across, centred at the
// origin; Objects copies side by side.
TKorFileRecord GridModel(int Cells, float Size, int Objects);

// Writes File as Folder/Name with "box.bmp" beside it; returns the file's path.
std::string WriteModel(const testsupport::TempDirectory& Folder, const std::string& Name,
                       const TKorFileRecord& File);
