// Every line the message log echoes (LogEcho, what standard error shows) while one of these lives,
// for tests that count how often the game reports something. A repeat that the echo folds into
// "(repeated N times)" counts N more times. One at a time; the previous LogEcho comes back after.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "engine/MessageLog.h"

class EchoedLines {
 public:
  EchoedLines() : file_(std::tmpfile()), previous_(LogEcho) { LogEcho = file_; }
  ~EchoedLines() {
    LogEcho = previous_;
    if (file_) std::fclose(file_);
  }
  EchoedLines(const EchoedLines&) = delete;
  EchoedLines& operator=(const EchoedLines&) = delete;

  // The texts echoed so far, without their times, each repeat as a line of its own.
  std::vector<std::string> lines() {
    std::vector<std::string> out;
    if (!file_) return out;
    addMessage(EndMark, false);  // writes out a pending "(repeated N times)"
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, file_)) > 0;) text.append(buf, n);
    std::fseek(file_, 0, SEEK_END);
    std::string last;
    for (size_t b = 0, e; b < text.size(); b = e + 1) {
      e = text.find('\n', b);
      if (e == std::string::npos) e = text.size();
      const std::string line = text.substr(b, e - b);
      const size_t space = line.find(' ');  // after "HH:MM:SS.mmm"
      const std::string body = space == std::string::npos ? line : line.substr(space + 1);
      long repeats = 0;
      if (std::sscanf(body.c_str(), "(repeated %ld time", &repeats) == 1) {
        for (long k = 0; k < repeats; ++k) out.push_back(last);
      } else if (!body.empty()) {
        out.push_back(body);
        last = body;
      }
    }
    std::erase(out, std::string(EndMark));
    return out;
  }

  // Echoed lines holding part.
  int count(const std::string& part) {
    int n = 0;
    for (const std::string& line : lines())
      if (line.find(part) != std::string::npos) ++n;
    return n;
  }

  // The first echoed line holding part, "" none.
  std::string find(const std::string& part) {
    for (const std::string& line : lines())
      if (line.find(part) != std::string::npos) return line;
    return "";
  }

 private:
  static constexpr const char* EndMark = "(end of the lines counted)";
  std::FILE* file_;
  std::FILE* previous_;
};
