// The text orvview shows for a package node: the entry's properties, its dictionary values when it
// holds a dictionary, and a preview of its bytes (as text when they read as text, else as hex).
#pragma once

#include <string>

#include "orvutil/orvutil.h"

namespace OrvView {

// How many bytes the hex preview shows, and how many characters the text preview.
constexpr unsigned kHexPreviewBytes = 256;
constexpr unsigned kTextPreviewChars = 4096;

std::wstring PaneText(Orv::PackageNode const& node);

// The bytes as text when they are UTF-8 (or, failing that, UTF-16) without control characters
// other than tab and line ends; false otherwise.
bool BytesAsText(unsigned char const* bytes, unsigned size, std::wstring& text);
// Lines of 16 bytes: offset, hex bytes, and the printable ASCII characters.
std::wstring HexDump(unsigned char const* bytes, unsigned size);

}  // namespace OrvView
