// Comparing and saving 5-6-5 pictures of replays.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace framecapture {

// Pixels whose red, green or blue differs by more than one 5-6-5 step; pictures of different
// sizes differ everywhere.
std::size_t CountDiffering(const std::vector<std::uint16_t>& A,
                           const std::vector<std::uint16_t>& B);

// Writes 5-6-5 rows (from the top) as a PNG file, channels widened by bit replication.
bool WritePng565(const std::string& Path, const std::vector<std::uint16_t>& Pixels, int Width,
                 int Height);

}  // namespace framecapture
