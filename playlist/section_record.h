// The repeat section of the playing file, in whole seconds. Portable: no system header.
#pragma once

struct SectionRecord {
    unsigned SectionStart, SectionEnd, SectionActive, SectionLoopPoint, SectionDrag;
};
