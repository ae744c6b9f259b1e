// Multimedia command strings without a player: a parser of the director's command shapes over a
// table of open aliases. Depends on nothing but the standard library.
#include "platform/Mci.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {
std::vector<std::string>& aliases() {
  static auto* list = new std::vector<std::string>();
  return *list;
}

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// Words separated by blanks; a double-quoted part is one word without its quotes.
std::vector<std::string> words(const std::string& command) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < command.size()) {
    while (i < command.size() && std::isspace(static_cast<unsigned char>(command[i]))) ++i;
    if (i >= command.size()) break;
    if (command[i] == '"') {
      size_t end = command.find('"', i + 1);
      if (end == std::string::npos) end = command.size();
      out.push_back(command.substr(i + 1, end - i - 1));
      i = end + 1;
    } else {
      size_t end = i;
      while (end < command.size() && !std::isspace(static_cast<unsigned char>(command[end]))) ++end;
      out.push_back(command.substr(i, end - i));
      i = end;
    }
  }
  return out;
}

std::vector<std::string>::iterator findAlias(const std::string& alias) {
  return std::find_if(aliases().begin(), aliases().end(), [&](const std::string& a) { return lower(a) == lower(alias); });
}

bool isOpen(const std::string& alias) { return findAlias(alias) != aliases().end(); }

bool isWholeNumber(const std::string& s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

Long run(const std::vector<std::string>& w, std::string& answer) {
  if (w.empty()) return MCIERR_UNRECOGNIZED_COMMAND;
  std::string verb = lower(w[0]);
  if (verb == "open" && w.size() == 4 && lower(w[2]) == "alias") {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(w[1], ec)) return MCIERR_FILE_NOT_FOUND;
    if (isOpen(w[3])) return MCIERR_DUPLICATE_ALIAS;
    aliases().push_back(w[3]);
    return 0;
  }
  if (verb == "close" && w.size() == 2) {
    if (lower(w[1]) == "all") {
      aliases().clear();
      return 0;
    }
    auto it = findAlias(w[1]);
    if (it == aliases().end()) return MCIERR_INVALID_DEVICE_NAME;
    aliases().erase(it);
    return 0;
  }
  bool playFrom = verb == "play" && w.size() == 4 && lower(w[2]) == "from" && isWholeNumber(w[3]);
  if (((verb == "play" || verb == "stop") && w.size() == 2) || playFrom)
    return isOpen(w[1]) ? 0 : MCIERR_INVALID_DEVICE_NAME;
  if (verb == "status" && w.size() == 3 && lower(w[2]) == "mode") {
    if (!isOpen(w[1])) return MCIERR_INVALID_DEVICE_NAME;
    answer = "stopped";
    return 0;
  }
  return MCIERR_UNRECOGNIZED_COMMAND;
}
}  // namespace

Long mciSendString(const std::string& command, std::string* returnString, Long returnLength, HWND) {
  std::string answer;
  Long result = run(words(command), answer);
  if (returnString) *returnString = returnLength > 0 ? answer.substr(0, static_cast<size_t>(returnLength - 1)) : "";
  return result;
}

Long GetShortPathName(const std::string& longPath, std::string& shortPath, Long bufferLength) {
  auto length = static_cast<Long>(longPath.size());
  if (bufferLength <= length) {
    shortPath.clear();
    return length + 1;
  }
  shortPath = longPath;
  return length;
}

std::vector<std::string> mciOpenAliases() { return aliases(); }
