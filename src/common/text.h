// Text as the data files hold it: Windows-1252 bytes in fixed-width fields.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace talvane {

// Carriage return as used between message paragraphs.
inline constexpr char kCR = '\r';
// Two carriage returns join the paragraphs of a message.
inline constexpr std::string_view kParagraph = "\r\r";

// Trims spaces (only 0x20) at both ends, as the program's Trim does.
std::string Trim(std::string_view s);
std::string TrimRight(std::string_view s);

// Windows-1252 case mapping (ASCII and the accented letters of the code page).
char UpperChar(char c);
char LowerChar(char c);
std::string Upper(std::string_view s);
std::string Lower(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Trimmed, upper-cased comparison used to match names and titles.
bool SameName(std::string_view a, std::string_view b);

// Cuts to the width or pads with spaces on the right.
std::string FixedField(std::string_view s, std::size_t width);

// Windows-1252 <-> Unicode. Bytes without a character in the code page
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as
// the platform's conversion does; characters the code page cannot hold
// become '?'.
std::string Cp1252ToUtf8(std::string_view s);
// `utf8` as a JSON string, quotes included: the quote, the backslash and
// control characters escaped, everything else as it is.
std::string JsonQuoted(std::string_view utf8);
std::string Utf8ToCp1252(std::string_view s);
std::u16string Cp1252ToUtf16(std::string_view s);
std::string Utf16ToCp1252(std::u16string_view s);
char32_t Cp1252ToCodePoint(unsigned char c);
// Returns '?' when the code point has no Windows-1252 byte.
char CodePointToCp1252(char32_t cp);
bool IsValidUtf8(std::string_view s);
// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t cp);
// UTF-8 <-> UTF-16. A malformed sequence or a lone surrogate becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);
// True for the five bytes that have no character in Windows-1252.
bool IsCp1252Undefined(unsigned char c);

// Decimal text of an integer, as the program writes numbers.
std::string ToDecimal(long long v);

// Replaces every occurrence of `from` by `to`, comparing without regard to case.
std::string ReplaceNoCase(std::string_view s, std::string_view from, std::string_view to);

// Joins paragraphs with two carriage returns.
std::string Paragraphs(std::initializer_list<std::string_view> parts);

}  // namespace talvane
