// VbError: the error the game's procedures raise and trap. number is the runtime's error number,
// what() the description that ends up in the message log ("Error in " + label + ": " + text).
#pragma once
#include <cstddef>
#include <iterator>
#include <stdexcept>
#include <string>

namespace vberr {
constexpr int InvalidCall = 5;       // "Invalid procedure call or argument"
constexpr int Overflow = 6;          // "Overflow"
constexpr int Subscript = 9;         // "Subscript out of range"
constexpr int DivisionByZero = 11;   // "Division by zero"
constexpr int TypeMismatch = 13;     // "Type mismatch"
constexpr int BadFileName = 52;      // "Bad file name or number"
constexpr int FileNotFound = 53;     // "File not found"
constexpr int InputPastEnd = 62;     // "Input past end of file"
constexpr int FileAccess = 75;       // "Path/File access error"
constexpr int PathNotFound = 76;     // "Path not found"
constexpr int ObjectMissing = 91;    // "Object variable or With block variable not set"
}  // namespace vberr

class VbError : public std::runtime_error {
 public:
  VbError(int number, const std::string& description);
  explicit VbError(int number);  // the runtime's standard description for number
  int number() const { return number_; }

 private:
  int number_;
};

std::string vbErrorDescription(int number);
[[noreturn]] void vbRaise(int number);
[[noreturn]] void vbRaise(int number, const std::string& description);
// Index check for the game's fixed arrays: raises Subscript (9) unless lo <= i <= hi.
void vbCheckIndex(long long i, long long lo, long long hi);
// Element i of one of the game's fixed arrays (0-based): raises Subscript (9) outside it.
template <class Array>
auto& vbAt(Array& a, long long i) {
  vbCheckIndex(i, 0, static_cast<long long>(std::size(a)) - 1);
  return a[static_cast<std::size_t>(i)];
}
