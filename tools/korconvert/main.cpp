// korconvert: converts models between ".kor" and the formats Open Asset Import Library reads
// and writes. This program links libimagequant, so its binary is GPL-3.0-or-later.
#include <iostream>

#include "tools/korconvert/ImageQuantiser.h"
#include "tools/korconvert/KorConvert.h"

int main(int argc, char** argv) {
  TImageQuantiser quantiser;
  return RunKorConvert({argv + 1, argv + argc}, &quantiser, std::cout, std::cerr);
}
