// Damaged files the media fuzz run found (tools/media-fuzz.sh makes them again); each one plays
// to its end so that the list goes on.
#include <gtest/gtest.h>

#include "engine_test_support.h"

// Tags stamped far past the file's end (a bogus jump of about an hour): the file still ends,
// whether the jump is in the sound or in the pictures.
TEST(Damaged, StampsFarPastTheEndDoNotHoldTheEndBack) {
  for (uint8_t type : {8, 9}) {
    SCOPED_TRACE(type == 8 ? "sound" : "pictures");
    std::vector<FlvTag> tags = FlvTags(ReadClip(L"sorenson_mp3.flv"));
    for (FlvTag& t : tags)
      if (t.type == type && t.time > 1000) t.time += 4000000;
    Stage s;
    s.Set(L"state_file", WriteClip(L"far_stamps.flv", FlvFile(tags)));
    EXPECT_TRUE(s.WaitForEnd(15));
  }
}
