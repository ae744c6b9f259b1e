#include "runtime/VbError.h"

#include <string>

VbError::VbError(int number, const std::string& description)
    : std::runtime_error(description), number_(number) {}

VbError::VbError(int number) : VbError(number, vbErrorDescription(number)) {}

std::string vbErrorDescription(int number) {
  switch (number) {
    case vberr::InvalidCall: return "Invalid procedure call or argument";
    case vberr::Overflow: return "Overflow";
    case vberr::Subscript: return "Subscript out of range";
    case vberr::DivisionByZero: return "Division by zero";
    case vberr::TypeMismatch: return "Type mismatch";
    case vberr::BadFileName: return "Bad file name or number";
    case vberr::FileNotFound: return "File not found";
    case vberr::InputPastEnd: return "Input past end of file";
    case vberr::FileAccess: return "Path/File access error";
    case vberr::PathNotFound: return "Path not found";
    case vberr::ObjectMissing: return "Object variable or With block variable not set";
    default: return "Application-defined or object-defined error";
  }
}

void vbRaise(int number) { throw VbError(number); }

void vbRaise(int number, const std::string& description) { throw VbError(number, description); }

void vbCheckIndex(long long i, long long lo, long long hi) {
  if (i < lo || i > hi) vbRaise(vberr::Subscript);
}
