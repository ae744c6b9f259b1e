#include "levels/CMap.h"

CMap* CurMap = nullptr;
