#include "playlist/file_kind.h"

#include <string.h>

#include <string_view>

using namespace std::literals;

namespace {

// Sync byte 0x47 at each of the first four packets from first, every stride bytes.
bool HasPacketSyncs(const unsigned char* head, size_t size, size_t first, size_t stride)
{
    for (size_t at = first; at < first + 4 * stride; at += stride)
        if (at >= size || head[at] != 0x47)
            return false;
    return true;
}

bool IsTransportStream(const unsigned char* head, size_t size) { return HasPacketSyncs(head, size, 0, 188); }
bool IsBlurayStream(const unsigned char* head, size_t size) { return HasPacketSyncs(head, size, 4, 192); }

// The pack header's marker bits, MPEG-1 ("0010....1") or MPEG-2 ("01...1..").
bool IsPackHeader(const unsigned char* head, size_t)
{
    return (head[4] & 0xF1) == 0x21 || (head[4] & 0xC4) == 0x44;
}

// ID3v2: version 2 to 4, a revision, and a size of four 7-bit bytes.
bool IsId3Tag(const unsigned char* head, size_t)
{
    return head[3] >= 2 && head[3] <= 4 && head[4] != 0xFF && ((head[6] | head[7] | head[8] | head[9]) & 0x80) == 0;
}

// The length of the MPEG audio frame whose header is at p (4 bytes), 0 when it is none.
size_t MpegAudioFrameLength(const unsigned char* p)
{
    // Kilobits per second by [MPEG-1 or not][layer I, II, III][index 1..14].
    static const short Kbps[2][3][14] = {
        {{32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
    };
    static const int Hz[3] = {44100, 48000, 32000};
    int version = (p[1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5, 1 reserved
    int layer = 3 - ((p[1] >> 1) & 3);  // 0 layer I, 1 II, 2 III, 3 reserved
    int rate = p[2] >> 4, frequency = (p[2] >> 2) & 3, padding = (p[2] >> 1) & 1;
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0 || version == 1 || layer == 3 || rate == 0 || rate == 15 ||
        frequency == 3 || (p[3] & 3) == 2)
        return 0;
    bool mpeg1 = version == 3;
    long bits = Kbps[mpeg1 ? 0 : 1][layer][rate - 1] * 1000L;
    long hz = Hz[frequency] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    if (layer == 0)
        return (size_t)(12 * bits / hz + padding) * 4;
    return (size_t)((layer == 2 && !mpeg1 ? 72 : 144) * bits / hz + padding);
}

// A frame header whose next frame, when the head reaches it, starts with a header of the
// same version, layer and sample rate.
bool IsMpegAudioFrame(const unsigned char* head, size_t size)
{
    size_t length = MpegAudioFrameLength(head);
    if (length == 0)
        return false;
    if (length + 4 > size)
        return true;
    const unsigned char* next = head + length;
    return MpegAudioFrameLength(next) != 0 && next[1] == head[1] && ((next[2] ^ head[2]) & 0x0C) == 0;
}

struct Field {
    size_t Offset;
    std::string_view Bytes;
};

struct Signature {
    FileKind Kind;
    Field First, Second;  // Second empty when one field says it
    bool (*More)(const unsigned char* head, size_t size);  // the rest of the test, or null
};

// In order: the first row that matches decides ("FLV" before "ftyp", as ever).
const Signature Signatures[] = {
    {FlvFile, {0, "FLV"}, {}, nullptr},
    {Mp4File, {4, "ftyp"}, {}, nullptr},
    {MatroskaFile, {0, "\x1A\x45\xDF\xA3"}, {}, nullptr},
    {QuickTimeFile, {4, "moov"}, {}, nullptr},
    {QuickTimeFile, {4, "mdat"}, {}, nullptr},
    {QuickTimeFile, {4, "wide"}, {}, nullptr},
    {QuickTimeFile, {4, "free"}, {}, nullptr},
    {QuickTimeFile, {4, "skip"}, {}, nullptr},
    {QuickTimeFile, {4, "pnot"}, {}, nullptr},
    {AviFile, {0, "RIFF"}, {8, "AVI "}, nullptr},
    {WaveFile, {0, "RIFF"}, {8, "WAVE"}, nullptr},
    {WaveFile, {0, "RF64"}, {8, "WAVE"}, nullptr},
    {TransportStreamFile, {0, "\x47"}, {}, IsTransportStream},
    {BlurayStreamFile, {4, "\x47"}, {}, IsBlurayStream},
    {ProgramStreamFile, {0, "\0\0\1\xBA"sv}, {}, IsPackHeader},
    {MpegAudioFile, {0, "ID3"}, {}, IsId3Tag},
    {MpegAudioFile, {0, "\xFF"}, {}, IsMpegAudioFrame},
    {FlacFile, {0, "fLaC"}, {}, nullptr},
    {OggFile, {0, "OggS\0"sv}, {}, nullptr},
};

bool Holds(const unsigned char* head, size_t size, const Field& field)
{
    return field.Bytes.empty() || (field.Offset + field.Bytes.size() <= size &&
                                   memcmp(head + field.Offset, field.Bytes.data(), field.Bytes.size()) == 0);
}

}  // namespace

bool IsMediaFile(FileKind kind)
{
    return kind != Unreadable && kind != PlaylistFile && kind != SpecialCharacter;
}

FileKind ClassifyHead(const unsigned char* head, size_t size)
{
    if (size <= 16)
        return Unreadable;
    if (size > ClassifyHeadBytes)
        size = ClassifyHeadBytes;
    for (const Signature& s : Signatures)
        if (Holds(head, size, s.First) && Holds(head, size, s.Second) && (!s.More || s.More(head, size)))
            return s.Kind;
    return Unreadable;
}
