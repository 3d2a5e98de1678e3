// How the host reads a movie variable's text as a number. Portable: no Windows header
// (tools/fuzz.sh builds it natively).
#pragma once

// The text-to-integer rule of the wire: leading white space, optional sign, digits up to
// the first other character; 0 without digits. Saturates at the int range.
int MovieTextToInt(const wchar_t* text);
