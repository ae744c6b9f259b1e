// The bitmap font's grid as the text drawer reads it: the character of each of the 56 cells
// and the fixed advance width of each character at scale 1 (space 2 when measuring).
#pragma once

constexpr int kCellWidth = 32;
constexpr int kCellHeight = 36;
constexpr int kCellCount = 56;
// Cell n shows kCellChars[n]; letters stand for both cases, '/' also for '\'.
inline constexpr char kCellChars[] = "abcdefghijklmnopqrstuvwxyz0123456789!@#$%/&*()-+=,.;:\"'?";

// Advance width in pixels of a (lower-cased) character.
inline int glyphAdvance(char c) {
  switch (c) {
    case '#': return 26;
    case '@': return 24;
    case 'w': case '%': return 23;
    case 'm': return 22;
    case '+': case '=': return 21;
    case 'a': case 'v': return 20;
    case 'x': case 'y': case '?': return 19;
    case '/': case '\\': return 18;
    case 'q': case '3': case '6': case '7': case '9': case '&': return 17;
    case 'p': case 'z': case '0': case '2': case '8': case '*': return 16;
    case 'g': case 'k': case 'n': case 'u': case '4': case '5': return 15;
    case 'b': case 'd': case 'h': case 'r': return 14;
    case 'j': case 'o': case 't': return 13;
    case 'c': case 'f': return 12;
    case 'l': case '$': case '-': return 11;
    case 'e': case 's': case '"': return 10;
    case '1': case ',': return 9;
    case '!': case '(': case ')': return 8;
    case 'i': case '.': case ';': case ':': return 5;
    case '\'': return 4;
    case ' ': return 2;
    case '[': case ']': return 0;
    default: return 28;
  }
}
