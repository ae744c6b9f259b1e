#include "audio/CMusic.h"

std::shared_ptr<CMusic> Music;

void CMusic::WarpChange() {}
void CMusic::ForcePlay(const std::string&, const std::string&) {}
void CMusic::Update() {}
void CMusic::Kill() {}
