// Damaged files the media fuzz run found (tools/media-fuzz.sh makes them again); each one plays
// to its end so that the list goes on.
#include <gtest/gtest.h>

#include "engine_test_support.h"

namespace {

struct Damage {
  const char* name;
  void (*apply)(std::vector<FlvTag>& tags);
};

// Tags stamped far past the file's end (a bogus jump of about an hour), in the sound or in the
// pictures; or every tag stamped at random (far ahead, far back, jumping both ways).
const Damage kDamages[] = {
    {"sound far past the end", [](std::vector<FlvTag>& tags) {
       for (FlvTag& t : tags) if (t.type == 8 && t.time > 1000) t.time += 4000000;
     }},
    {"pictures far past the end", [](std::vector<FlvTag>& tags) {
       for (FlvTag& t : tags) if (t.type == 9 && t.time > 1000) t.time += 4000000;
     }},
    {"random stamps", [](std::vector<FlvTag>& tags) {
       uint32_t x = 1;
       for (FlvTag& t : tags) t.time = x = x * 1103515245u + 12345u;
     }},
};

}  // namespace

TEST(Damaged, BrokenStampsDoNotHoldTheEndBack) {
  for (const Damage& d : kDamages) {
    SCOPED_TRACE(d.name);
    std::vector<FlvTag> tags = FlvTags(ReadClip(L"sorenson_mp3.flv"));
    d.apply(tags);
    Stage s;
    s.Set(L"state_file", WriteClip(L"bad_stamps.flv", FlvFile(tags)));
    Pump(0.3);  // then a seek to the start, as the fuzz run makes: it lands anywhere in such a file
    s.Set(L"state_seek", L"0");
    EXPECT_TRUE(s.WaitForEnd(15));
  }
}
