#pragma once
// Byte-string helpers: positions are 1-based byte positions, searches never
// start a match on the trail byte of a double-byte character.
#include <string>

std::string LeftStr(const std::string& text, int n);
std::string RightStr(const std::string& text, int n);
std::string MidStr(const std::string& text, int position);
std::string MapString(const std::string& text, unsigned flags);
std::string GetField(const std::string& text, const std::string& separator, int n);

// 1-based position of needle in text, or 0; lead-byte aware, exact bytes.
int FindText(const std::string& needle, const std::string& text);
// FindText after mapping both texts to upper case.
int ContainsText(const std::string& needle, const std::string& text);
// Case-insensitive equality through the locale's upper-case mapping.
bool SameText(const std::string& a, const std::string& b);

// Whether the character starting at index (0-based, never a trail byte) is c.
bool IsCharAt(const std::string& text, std::size_t index, char c);
bool EndsWithChar(const std::string& text, char c);
// Whether the byte at index (0-based) starts a character, i.e. is not a trail byte.
bool IsPathDelimiterAt(const std::string& text, std::size_t index);
bool EndsWithPathDelimiter(const std::string& text);
// The number in decimal, zeros in front up to width characters, a minus sign counting
// as one (as printf's "%0*d" writes it, without printf's formatting code in the program).
std::string ZeroPadded(long long value, int width);
