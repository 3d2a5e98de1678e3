#include "engine/variable_text.h"

int MovieTextToInt(const wchar_t* text)
{
    const wchar_t* p = text;
    while (*p == L' ' || (*p >= L'\t' && *p <= L'\r'))
        p++;
    bool negative = false;
    if (*p == L'+' || *p == L'-')
        negative = *p++ == L'-';
    long long value = 0;
    for (; *p >= L'0' && *p <= L'9'; p++) {
        value = value * 10 + (*p - L'0');
        if (value > 0x80000000LL)
            value = 0x80000000LL;  // saturate instead of overflowing
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFF)
        value = 0x7FFFFFFF;
    return (int)value;
}
