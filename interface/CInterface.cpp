#include "interface/CInterface.h"

std::shared_ptr<CInterface> GameInterface;
bool GamePaused = false;

bool CInterface::hasMouse() const { return Window != 0; }

void CInterface::Render() {}
