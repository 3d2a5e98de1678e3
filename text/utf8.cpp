#include "text/utf8.h"

namespace {

const wchar_t Replacement = 0xFFFD;

// A lead byte's payload, its number of continuation bytes and the range its first
// continuation byte must lie in (narrower for E0, ED, F0, F4: no overlong forms, no
// surrogates, nothing above U+10FFFF). Count 0: not a lead byte.
struct Lead {
    unsigned Payload;
    int Count;
    unsigned char Low, High;
};

Lead LeadOf(unsigned char b)
{
    if (b >= 0xC2 && b <= 0xDF)
        return {b & 0x1Fu, 1, 0x80, 0xBF};
    if (b >= 0xE0 && b <= 0xEF)
        return {b & 0x0Fu, 2, (unsigned char)(b == 0xE0 ? 0xA0 : 0x80), (unsigned char)(b == 0xED ? 0x9F : 0xBF)};
    if (b >= 0xF0 && b <= 0xF4)
        return {b & 0x07u, 3, (unsigned char)(b == 0xF0 ? 0x90 : 0x80), (unsigned char)(b == 0xF4 ? 0x8F : 0xBF)};
    return {0, 0, 0, 0};
}

void PutCodePoint(unsigned c, std::wstring& text)
{
    if (c < 0x10000) {
        text += (wchar_t)c;
        return;
    }
    c -= 0x10000;
    text += (wchar_t)(0xD800 + (c >> 10));
    text += (wchar_t)(0xDC00 + (c & 0x3FF));
}

bool IsHigh(unsigned u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(unsigned u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

void AppendUtf16(const char* bytes, size_t size, std::wstring& text)
{
    const unsigned char* p = (const unsigned char*)bytes;
    size_t i = 0;
    while (i < size) {
        unsigned char b = p[i++];
        if (b < 0x80) {
            text += (wchar_t)b;
            continue;
        }
        Lead lead = LeadOf(b);
        if (lead.Count == 0) {
            text += Replacement;
            continue;
        }
        // A sequence that the end of the input cuts takes the rest of the input with it.
        if ((size_t)lead.Count > size - i) {
            text += Replacement;
            return;
        }
        unsigned c = lead.Payload;
        bool whole = true;
        for (int k = 0; k < lead.Count && whole; k++) {
            unsigned char next = p[i];
            if ((next & 0xC0) != 0x80) {
                whole = false;  // not taken: it starts the next sequence
                break;
            }
            i++;
            c = c << 6 | (next & 0x3Fu);
            // The first continuation byte is taken even when it makes the sequence overlong,
            // a surrogate or too large.
            if (k == 0 && (next < lead.Low || next > lead.High))
                whole = false;
        }
        if (whole)
            PutCodePoint(c, text);
        else
            text += Replacement;
    }
}

bool AppendUtf8(const wchar_t* units, size_t count, std::string& bytes)
{
    size_t at = bytes.size();
    for (size_t i = 0; i < count; i++) {
        unsigned u = (unsigned)units[i];
        if (u > 0xFFFF || IsLow(u) || (IsHigh(u) && (i + 1 == count || !IsLow((unsigned)units[i + 1])))) {
            bytes.resize(at);
            return false;
        }
        if (IsHigh(u))
            u = 0x10000 + ((u - 0xD800) << 10) + ((unsigned)units[++i] - 0xDC00);
        if (u < 0x80) {
            bytes += (char)u;
        } else if (u < 0x800) {
            bytes += (char)(0xC0 | u >> 6);
            bytes += (char)(0x80 | (u & 0x3F));
        } else if (u < 0x10000) {
            bytes += (char)(0xE0 | u >> 12);
            bytes += (char)(0x80 | (u >> 6 & 0x3F));
            bytes += (char)(0x80 | (u & 0x3F));
        } else {
            bytes += (char)(0xF0 | u >> 18);
            bytes += (char)(0x80 | (u >> 12 & 0x3F));
            bytes += (char)(0x80 | (u >> 6 & 0x3F));
            bytes += (char)(0x80 | (u & 0x3F));
        }
    }
    return true;
}
