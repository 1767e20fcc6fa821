// The korconvert command: its arguments, help, and the one place errors become a message on
// the error stream and a non-zero status.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/korconvert/TextureImage.h"

// What --help prints.
extern const char* const KorConvertHelp;

// Args are the command's arguments without the program name. Returns 0 on success, 1 when the
// conversion failed (the reason on Err, nothing written at the output), 2 for wrong usage.
int RunKorConvert(const std::vector<std::string>& Args, TPaletteQuantiser* Quantiser,
                  std::ostream& Out, std::ostream& Err);
