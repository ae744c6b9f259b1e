#include "campaign/CWorld.h"

std::shared_ptr<CWorld> World;
