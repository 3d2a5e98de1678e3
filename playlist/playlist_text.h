// The playlist file's text, apart from the files: UTF-8 lines without a byte-order mark,
// each ended by CR LF, a header line first, then one path per line. Portable: no Windows
// header (tools/fuzz.sh builds it natively).
#pragma once
#include <string>
#include <vector>

// Appends text + CR LF in UTF-8 to bytes. False (bytes unchanged) when the text cannot be
// written faithfully, such as a lone surrogate, which would read back as another path.
bool AppendPlaylistLine(const wchar_t* text, std::string& bytes);
// Decodes UTF-8 (invalid sequences become U+FFFD, as text/utf8.h has it). False for empty input.
bool DecodePlaylistBytes(const char* bytes, size_t size, std::wstring& text);
// The lines of the text: any run of CR and LF ends a line, so blank lines vanish. The text
// ends at its first NUL. Lines are not trimmed.
std::vector<std::wstring> SplitPlaylistLines(const std::wstring& text);
