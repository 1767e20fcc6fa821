#include "tools/korconvert/ConvertError.h"

EKorConvertError::EKorConvertError(const std::string& What) : std::runtime_error(What) {}
