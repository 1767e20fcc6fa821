#include "framework/Exceptions.h"

void RaiseListIndexError(long long Index) {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}
