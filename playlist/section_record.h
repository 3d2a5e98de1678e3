// The repeat section of the playing file, in whole seconds. Portable: no Windows header.
#pragma once

struct SectionRecord {
    unsigned SectionStart, SectionEnd, SectionActive, SectionLoopPoint, SectionDrag;
};
