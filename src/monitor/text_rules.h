#pragma once
// Conversions of the monitor's texts: numbers and flags read from the settings
// file, interval entries, time stamps and the output file's four lines.
#include <optional>
#include <string>
#include <string_view>

// Whether the byte starts a double-byte character in code page 932.
bool IsCp932LeadByte(unsigned char byte);

// A number as the locale's parser accepts it: blanks around an optional sign,
// digits with at most one decimal point, an optional exponent.
bool IsNumericText(std::string_view text);

// The leading numeric part of the text (blanks ignored), rounded to the nearest
// integer with halves going to the even neighbour; 0 when there is no number.
// Empty when the value does not fit a 32-bit integer.
std::optional<int> LeadingNumber(std::string_view text);

// "True"/"False" in any letter case, or a number (0 is false); empty otherwise.
std::optional<bool> ParseFlag(std::string_view text);
const char* FlagText(bool value);

// Entry i of the interval picker: i right-aligned in three columns, then "分".
std::string IntervalEntry(int minutes);
// The minutes a picker text stands for: blanks trimmed, every "分" dropped.
std::optional<int> IntervalMinutes(std::string_view text);

std::string TrimBlanks(std::string_view text);
// The number right-aligned in the given columns (blank-padded); a longer
// number keeps only its last characters.
std::string LastColumns(const std::string& number, std::size_t columns);

struct LocalTime {
    int year, month, day, hour, minute, second;
};
// "YYYY/MM/DD HH:MM:SS"
std::string FormatTimestamp(const LocalTime& time);

// The four CR LF lines of OUTPUT.DAT. A line break inside a value is written
// as a blank, so the file always has exactly four lines.
std::string OutputFileText(const std::string& timestamp, const std::string& globalIP, const std::string& hostName,
                           const std::string& localIP);

// At most maxBytes of the text, never ending on the lead byte of a split character.
std::string ClipForDisplay(const std::string& text, std::size_t maxBytes);
