// The kind of a file as intake judges it. Portable: no Windows header (tools/fuzz.sh builds
// it natively).
#pragma once

enum FileKind {
    Unreadable = 0,        // cannot be read, 16 bytes or shorter, or no known video
    FlvFile = 1,           // begins with "FLV"
    Mp4File = 2,           // "ftyp" at byte 4
    PlaylistFile = 3,      // extension exactly ".nbl"
    SpecialCharacter = 4,  // the name part holds "%"
};

// The kind of a file from its first bytes; size is the file size, or at least 17 when the
// file is longer (Unreadable for 16 bytes or less). Reads head[0..7] only when size > 16.
FileKind ClassifyHead(const unsigned char* head, unsigned long long size);
