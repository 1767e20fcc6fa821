// The demo's bitmaps, drawn with integer arithmetic only so that every run gives the same
// pixels. They share one palette of colour ramps; pixels never use entry 255, which the view
// does not copy from a bitmap into a texture.
#pragma once

#include "tools/makeassets/BmpWriter.h"

// Entries 0-63 a blue-to-white ramp, 64-127 violet, 128-191 stone, 192-199 accents, 200-254
// greys, 255 unused.
TPalette256 AssetPalette();

// The body's texture, 128 x 128. It wraps twice around the body and twice along its height:
// a checker of blue and violet cells with gold grid lines shows how the picture is mapped, and
// the rings of cells show the bend.
TIndexedPicture BodyTexture();

// The pedestal's texture, 64 x 64, mapped flat onto its top: stone rings, gold cross lines and
// a red mark on the +x side, so its turn can be seen.
TIndexedPicture PedestalTexture();

// "meta.bmp", 256 x 256: an exclusive-or pattern over three colour ramps.
TIndexedPicture MetaPicture();
