// LevelIO: small helpers shared by the map and structure-definition files.
// writeSingle writes a Single as the shortest decimal text that reads back to the same Single
// (so "0.1" stays "0.1" instead of the Double digits of 0.1f). damagedFile turns an error met
// while reading a data file into a VbError with the same number whose text names the file.
// readVector reads three Singles x, y, z.
#pragma once
#include <string>

#include "platform/D3DTypes.h"
#include "runtime/ItemFile.h"
#include "runtime/Numbers.h"
#include "runtime/VbError.h"

void writeSingle(ItemWriter& w, Single v);
D3DVECTOR readVector(ItemReader& r);
[[noreturn]] void damagedFile(const std::exception& e, const std::string& gamePath);
