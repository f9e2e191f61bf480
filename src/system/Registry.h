// The program's only access to the registry: five small operations, each
// opening what it needs, doing one thing and closing what it opened. They
// return 1 on success and 0 on failure, show no message, and write one trace
// line in two pieces (the attempt, then "OK\n" or "**Failed\n").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Text.h"
#include "seams/Os.h"

namespace setup {

// Reads a string value; valuePath is the key path, a backslash and the value
// name (split at the last backslash). Only REG_SZ and REG_EXPAND_SZ values
// are strings: any other type is a failed read, never bytes taken as text.
// Data is decoded as UTF-16LE up to the first NUL or the end of the data; an
// odd trailing byte is ignored. REG_EXPAND_SZ comes back
// expanded when the expansion fits in maxChars. A value longer than maxChars
// UTF-16 units is a failed read. On failure out is empty.
int ReadRegistryString(Os& os, TextSink* trace, RegKey root, const std::string& valuePath,
                       std::string& out, size_t maxChars = 259);

// Sets a REG_SZ value in an existing key from the first byteCount UTF-8 bytes
// of text (stored as UTF-16LE without a terminator); a byteCount beyond the
// text adds one terminator. A count that ends inside a character stops before
// that character.
int WriteRegistryString(Os& os, TextSink* trace, RegKey root, const std::string& valuePath,
                        const std::string& text, size_t byteCount);

// Sets a REG_DWORD value in an existing key: the first byteCount bytes of the
// little-endian value, at most its 4 bytes.
int WriteRegistryDword(Os& os, TextSink* trace, RegKey root, const std::string& valuePath,
                       int32_t value, uint32_t byteCount = 4);

// Creates the key and the missing keys above it; an existing key is success.
int CreateRegistryKey(Os& os, TextSink* trace, RegKey root, const std::string& keyPath);

// One RegDeleteKey call: whether a key with subkeys goes is the platform's
// rule (9x removes the subtree, NT refuses).
int DeleteRegistryKey(Os& os, TextSink* trace, RegKey root, const std::string& keyPath);

// Deletes the key only when it holds neither a subkey nor a value (so also
// where RegDeleteKey would remove a whole subtree). 1 when it was deleted;
// writes no trace line.
int DeleteEmptyRegistryKey(Os& os, RegKey root, const std::string& keyPath);

// Whether a key below HKEY_CURRENT_USER can be one product's own: strictly
// below "SOFTWARE\", every part named, and nothing of the system's shared
// keys (Microsoft, Classes, Policies, Wow6432Node), compared without case.
bool IsPrivateKey(Os& os, const std::string& key);

// The name written in trace lines; any unknown root is written as HKEY_USERS.
const char* RegistryRootName(RegKey root);

}  // namespace setup
