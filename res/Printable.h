#pragma once
// User text quoted in a message, made safe to show: a file name, an argument
// or a character from a file can hold controls that would move the cursor,
// open a terminal command, or turn the text around (a right-to-left
// override) once the message reaches a terminal or a message box.
#include <string>
#include <string_view>

namespace res {

// Control characters (C0, DEL, C1) and the invisible ones that change how
// text around them shows: Unicode's format characters (soft hyphen,
// zero-width ones, the direction marks, embeddings, overrides and isolates,
// the byte-order mark, ...) and the line and paragraph separators.
bool IsControlOrFormat(char32_t cp);

// One UTF-8 character at pos: its length, with the code point in *cp; 0 when
// none starts there (a stray or missing continuation byte, an overlong form,
// a surrogate, past U+10FFFF).
std::size_t DecodeUtf8Char(std::string_view s, std::size_t pos, char32_t* cp);

// "U+XXXX": upper-case hex, at least four digits.
std::string CodePointName(char32_t cp);

// The UTF-8 text with every such character written as its U+XXXX name and
// every byte that starts no UTF-8 character as \xNN; the rest unchanged.
std::string Printable(std::string_view utf8);

}  // namespace res
