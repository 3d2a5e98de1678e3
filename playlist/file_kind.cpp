#include "playlist/file_kind.h"

#include <string.h>

FileKind ClassifyHead(const unsigned char* head, unsigned long long size)
{
    if (size <= 16)
        return Unreadable;
    if (memcmp(head, "FLV", 3) == 0)
        return FlvFile;
    if (memcmp(head + 4, "ftyp", 4) == 0)
        return Mp4File;
    return Unreadable;
}
