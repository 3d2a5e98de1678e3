// UTF-8 to and from UTF-16 exactly as the system's code-page calls convert them, in portable
// code: wchar_t holds UTF-16 code units (a unit above 0xFFFF, possible only off Windows, is
// ill-formed).
#pragma once
#include <cstddef>
#include <string>

// Appends the UTF-16 form of bytes to text. Ill-formed input becomes U+FFFD as the system
// has it: a stray byte or a lead byte whose sequence breaks off gives one; the first
// continuation byte is taken with its lead even when that makes the sequence overlong, a
// surrogate or above U+10FFFF; a sequence cut by the end of the input takes the rest with it.
void AppendUtf16(const char* bytes, size_t size, std::wstring& text);
// Appends the UTF-8 form of units to bytes. False, bytes unchanged, when units hold an
// unpaired surrogate: it has no UTF-8 form.
bool AppendUtf8(const wchar_t* units, size_t count, std::string& bytes);
