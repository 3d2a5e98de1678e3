// Media fuzz host (not a test; tools/media-fuzz.sh runs it): one engine plays every damaged file
// of a folder unpaced for a bounded time, while a watchdog thread ends the process when the
// window thread stops answering for 5 s. Prints one line per file and the figures at the end.
//   media_fuzz.exe FOLDER [FIRST]   (FIRST: the name to start from, after a crash)
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine_test_support.h"

namespace {

double kPlaySeconds = 3;               // each file plays at most this long (MEDIA_FUZZ_SECONDS)
const ULONGLONG kHangMs = 5000;        // the window thread silent this long is a hang
const double kSlowCallUs = 50;         // GetVariable slower than this is counted
std::atomic<ULONGLONG> beat{0};
std::string current;                   // the file in hand, for the watchdog's report

double Now() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return double(t.QuadPart) / double(f.QuadPart);
}

double PrivateMb() {
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
  // Wine leaves PrivateUsage at 0; its PagefileUsage counts the same private pages.
  return (m.PrivateUsage ? m.PrivateUsage : m.PagefileUsage) / 1048576.0;
}

struct Calls {
  double maxUs = 0;
  long count = 0, slow = 0;
  void Add(double us) {
    maxUs = std::max(maxUs, us);
    slow += us > kSlowCallUs;
    ++count;
  }
};

// The same work with no engine behind it (a locked map lookup and a string copy), timed the same
// way: its slow calls are the machine's (a preempted thread), not the engine's.
std::mutex referenceMutex;
std::map<std::wstring, std::wstring> referenceVars{{L"state_playstop", L"0"}, {L"state_width", L"320"}};

// Asks what the host asks every tick, timing each answer, and the reference after each.
void Ask(Stage& s, Calls& c, Calls& reference) {
  static const wchar_t* names[] = {L"ns.time", L"state_duration", L"state_width", L"state_height",
                                   L"state_playstop"};
  std::wstring v;
  for (const wchar_t* n : names) {
    double t0 = Now();
    GetVariable(s.engine, n, &v);
    c.Add((Now() - t0) * 1e6);
    t0 = Now();
    {
      std::lock_guard<std::mutex> lock(referenceMutex);
      auto it = referenceVars.find(n);
      v = it == referenceVars.end() ? std::wstring() : it->second;
    }
    reference.Add((Now() - t0) * 1e6);
  }
  beat = GetTickCount64();
}

std::vector<std::wstring> Files(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring n = d.cFileName;
    if (n.size() > 4 && (n.ends_with(L".flv") || n.ends_with(L".mp4"))) names.push_back(n);
  } while (FindNextFileW(h, &d));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 2) {
    std::fprintf(stderr, "usage: media_fuzz FOLDER [FIRST]\n");
    return 2;
  }
  std::wstring folder = argv[1];
  if (const char* seconds = std::getenv("MEDIA_FUZZ_SECONDS")) kPlaySeconds = std::atof(seconds);
  std::vector<std::wstring> files = Files(folder);
  if (argc > 2) files.erase(files.begin(), std::lower_bound(files.begin(), files.end(), argv[2]));

  beat = GetTickCount64();
  std::thread([] {
    for (;;) {
      Sleep(100);
      if (GetTickCount64() - beat > kHangMs) {
        std::printf("HANG %s\n", current.c_str());
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
      }
    }
  }).detach();

  Stage s(320, 240);
  MediaEngineSetUnpaced(s.engine, true);
  Calls calls, reference;
  double baseline = 0, worst = 0;
  std::string worstFile;
  int played = 0, unfinished = 0, unopened = 0;
  for (const std::wstring& name : files) {
    current.assign(name.begin(), name.end());
    std::printf("file %s\n", current.c_str());
    std::fflush(stdout);
    beat = GetTickCount64();
    s.Set(L"state_file", folder + L"\\" + name);
    long shownBefore = s.Counters().framesShown;
    bool seeked = false;
    double start = Now();
    WaitFor([&] {
      Ask(s, calls, reference);
      if (!seeked && Now() - start > 0.3) {  // a seek into the damaged file as well
        seeked = true;
        s.Set(L"state_seek", L"0");
      }
      return s.Get(L"state_playstop") == L"1";
    }, kPlaySeconds);
    bool ended = s.Get(L"state_playstop") == L"1";
    long pictures = s.Counters().framesShown - shownBefore;
    double time = s.Number(L"ns.time");
    s.Set(L"state_stop", L"1");
    s.Set(L"state_playstop", L"0");  // as the host does after an end
    WaitFor([&] { Ask(s, calls, reference); return false; }, 0.05);
    double mb = PrivateMb();
    if (++played == 3) baseline = mb;  // after the first files: the engine's own buffers exist
    if (played > 3 && mb - baseline > worst) worst = mb - baseline, worstFile = current;
    // A file that never opened gives no end signal (as the movie behaves): that is not a hang.
    bool opened = pictures > 0 || time > 0;
    unfinished += !ended && opened;
    unopened += !ended && !opened;
    std::printf("done %s %.0f ms private %.1f MB pictures %ld %s at %.2f s\n", current.c_str(),
                (Now() - start) * 1000, mb, pictures, ended ? "ended" : opened ? "unfinished" : "unopened", time);
  }
  current = "(shutdown)";
  beat = GetTickCount64();
  double end = PrivateMb();
  std::printf("unfinished after %.0f s of play: %d opened, %d never opened (no end signal)\n",
              kPlaySeconds, unfinished, unopened);
  std::printf("files %d getvariable_calls %ld getvariable_max_us %.1f over_%.0f_us %ld\n", played,
              calls.count, calls.maxUs, kSlowCallUs, calls.slow);
  std::printf("reference_calls %ld max_us %.1f over_%.0f_us %ld (a locked map lookup, same thread, same run)\n",
              reference.count, reference.maxUs, kSlowCallUs, reference.slow);
  std::printf("private_mb baseline %.1f worst_after_file +%.1f (%s) end +%.1f\n", baseline, worst,
              worstFile.c_str(), end - baseline);
  std::fflush(stdout);
  return 0;
}
