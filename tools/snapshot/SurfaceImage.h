// Pictures of DirectDraw surfaces for the headless tools: a 16-bit 5-6-5 surface read as RGBA
// rows, and RGBA rows written as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ddraw/DDrawInterfaces.h"

// The surface's pixels as RGBA rows from the top (5-6-5 expanded by bit replication, alpha
// 255); empty, with Width and Height 0, when it cannot be locked or is not 16-bit.
std::vector<std::uint8_t> SurfaceRgba(IDirectDrawSurface* Surface, int& Width, int& Height);

// Writes RGBA rows as a PNG file; false when the file cannot be written.
bool WriteRgbaPng(const std::string& Path, const std::vector<std::uint8_t>& Rgba, int Width,
                  int Height);
