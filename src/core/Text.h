// Text helpers. Every text inside the program is UTF-8 in std::string.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

namespace setup {

// printf-style formatting into a std::string (no fixed buffer).
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

std::string FormatV(const char* format, va_list args);

// Replaces every occurrence of `what` (case-sensitive, left to right, the
// replacement not re-scanned).
std::string ReplaceAll(std::string text, std::string_view what, std::string_view with);

// UTF-8 <-> UTF-16. Ill-formed input becomes U+FFFD; never reads past the
// input.
std::u16string Utf8ToUtf16(std::string_view text);
// Decodes the UTF-8 sequence at text[i] and advances i past it; a broken
// sequence gives U+FFFD, as Utf8ToUtf16 does.
char32_t DecodeUtf8(std::string_view text, size_t& i);
std::string Utf16ToUtf8(std::u16string_view text);

// Number of UTF-16 code units the text takes (what Windows counts as the
// length of a path or value).
size_t Utf16Length(std::string_view text);

class TextSink;
// Writes one formatted piece to the trace sink; nothing when it is null.
void Trace(TextSink* sink, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
void TraceV(TextSink* sink, const char* format, va_list args);

}  // namespace setup
