// Where a model file's bitmaps are found. A texture name in a ".kor" file is relative to the
// directory of the model file and uses backslashes between directories, as the files were made
// on Windows; on this system the name's backslashes are read as slashes.
#pragma once

#include <string>
#include <string_view>

// Everything in FileName up to and including its last backslash or slash; empty for a bare
// file name, so that bitmaps are then looked up in the working directory.
std::string ModelDirectory(std::string_view FileName);

// Directory (as ModelDirectory gives it) followed by Name with every backslash made a slash.
std::string TexturePath(std::string_view Directory, std::string_view Name);
