// The kind of a file as intake judges it. Portable: no Windows header (tools/fuzz.sh builds
// it natively).
#pragma once
#include <stddef.h>

enum FileKind {
    Unreadable = 0,        // cannot be read, 16 bytes or shorter, or no known signature
    FlvFile = 1,           // begins with "FLV"
    Mp4File = 2,           // "ftyp" at byte 4
    PlaylistFile = 3,      // extension exactly ".nbl"
    SpecialCharacter = 4,  // the name part holds "%"
    MatroskaFile = 5,      // an EBML header: Matroska and WebM
    QuickTimeFile = 6,     // a QuickTime atom without "ftyp" at byte 4
    AviFile = 7,           // "RIFF", "AVI " at byte 8
    WaveFile = 8,          // "RIFF" or "RF64", "WAVE" at byte 8
    TransportStreamFile = 9,   // MPEG-TS: sync bytes 188 bytes apart
    BlurayStreamFile = 10,     // M2TS: sync bytes 192 bytes apart after a 4-byte time stamp
    ProgramStreamFile = 11,    // MPEG-PS: a pack header
    MpegAudioFile = 12,    // an ID3 tag or MPEG audio frames
    FlacFile = 13,         // "fLaC"
    OggFile = 14,          // "OggS", version 0
};

// Whether intake adds a file of this kind as an entry.
bool IsMediaFile(FileKind kind);

// How many first bytes intake reads: the farthest signature (the second MPEG audio frame
// header, the fourth transport packet) lies within them.
constexpr size_t ClassifyHeadBytes = 2048;

// The kind of a file from its first bytes: head holds size bytes, the whole file when it is
// shorter than ClassifyHeadBytes. Unreadable for 16 bytes or less. Reads head[0..size) only,
// and no further than ClassifyHeadBytes.
FileKind ClassifyHead(const unsigned char* head, size_t size);
