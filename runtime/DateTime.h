// The current date and time as the game writes them into save slots and slot names: the short
// date "M/D/YYYY", the time "H:MM:SS AM" (12-hour clock) and the general date, both joined by a
// space. Local time. The std::tm overloads format a given moment (for tests).
#pragma once
#include <ctime>
#include <string>

std::string DateText();
std::string TimeText();
std::string GeneralDateText();
std::string DateText(const std::tm& t);
std::string TimeText(const std::tm& t);
std::string GeneralDateText(const std::tm& t);
