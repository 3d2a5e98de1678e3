// Engine figures on a 1080p H.264 clip (not a test; tools/engine-bench.sh runs it beside native
// ffmpeg on the same clip and prints the ratio).
#include <cstdio>

#include "engine_test_support.h"

namespace {

double Seconds() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return double(t.QuadPart) / double(f.QuadPart);
}

}  // namespace

int main() {
  const wchar_t* clip = L"bench_1080p.mp4";
  {  // Unpaced: decode, convert to 1280 x 720 and present as fast as it goes.
    Stage s(1280, 720);
    s.Set(L"state_smoothing", L"1");
    s.Set(L"state_quality", L"1");  // bilinear, as the native reference
    MediaEngineSetUnpaced(s.engine, true);
    double start = Seconds();
    s.PlayFile(clip);
    s.WaitForEnd(120);
    double elapsed = Seconds() - start;
    MediaEngineCounters n = s.Counters();
    std::printf("unpaced_fps %.1f (%ld frames in %.2f s, 1080p to 1280x720 bilinear; %ld painted)\n",
                n.framesShown / elapsed, n.framesShown, elapsed, n.framesPainted);
  }
  {  // Paced 1080p30 for 10 s; then first picture and seek latency.
    Stage s(1280, 720);
    double start = Seconds();
    s.PlayFile(clip);
    WaitFor([&] { return s.Counters().framesShown > 0; }, 10);
    std::printf("first_picture_ms %.1f\n", (Seconds() - start) * 1000);
    MediaEngineCounters a = s.Counters();
    Pump(10);
    MediaEngineCounters b = s.Counters();
    std::printf("paced_10s shown %ld painted %ld dropped %ld\n", b.framesShown - a.framesShown,
                b.framesPainted - a.framesPainted, b.framesDropped - a.framesDropped);
    s.Set(L"state_pause", L"1");
    Pump(0.2);
    double total = 0;
    for (const wchar_t* t : {L"3", L"9", L"1", L"7", L"5"}) {
      long before = s.Counters().framesShown;
      double t0 = Seconds();
      s.Set(L"state_seek", t);
      WaitFor([&] { return s.Counters().framesShown > before; }, 10);
      total += Seconds() - t0;
      Pump(0.1);
    }
    std::printf("seek_to_picture_ms %.1f (mean of 5, keyframes every 2 s)\n", total / 5 * 1000);
    s.Set(L"state_pause", L"0");
    Pump(0.2);
    std::wstring v;
    const int n = 20000;
    double g0 = Seconds();
    for (int i = 0; i < n; ++i) GetVariable(s.engine, i % 2 ? L"ns.time" : L"state_duration", &v);
    std::printf("getvariable_us %.3f\n", (Seconds() - g0) / n * 1e6);
  }
  MediaEngineShutdown();
  return 0;
}
