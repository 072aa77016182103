#pragma once
// A frame's text in one line, both ways: the form project files store it in
// and its exact inverse, and the form the generated program's printf
// literals hold, which shares the scan over GBK characters.
//
// Every text here is GBK bytes.
#include <string>
#include <string_view>

namespace output {

// A frame text in its one-line form, as project files store it: backslash
// doubled, CR LF as backslash-n, double and single quotes preceded by a
// backslash. Scans GBK characters, so a second byte 0x5C stays single.
// Percent signs, lone CRs and lone LFs are kept. A lead byte that starts no
// character and stands right before such an escape is stored as '?', since
// a reader would take it and the backslash for one character.
std::string EscapeFrameText(std::string_view frameGbk);

// The inverse of EscapeFrameText, in one left-to-right pass over GBK
// characters: "\\" gives '\', "\n" CR LF, "\"" '"' and "\'" '\''; any other
// backslash stays as it is. unescape(escape(t)) == t for every text, except
// that a stray lead byte right before a quote, a backslash or a line break
// comes back as '?' (see EscapeFrameText).
std::string UnescapeFrameText(std::string_view escaped);

// The frame inside the generated program's printf literal: the one-line
// form, with '%' doubled, a lone CR or LF as \r or \n, and a two-byte
// character whose second byte is 0x5C or a lead byte that starts no
// character as octal escapes.
std::string EscapeFrameLiteral(std::string_view frameGbk);

// tcc reads a string literal byte by byte, so a second byte 0x5C would start
// an escape; a code-page-aware compiler instead pairs a stray lead byte with
// a backslash we put after it. Octal escapes read the same to both: whether
// the character of `length` bytes at pos needs them, and writing them.
bool NeedsOctal(std::string_view s, std::size_t pos, std::size_t length);
void AppendOctal(std::string& out, std::string_view bytes);

}  // namespace output
