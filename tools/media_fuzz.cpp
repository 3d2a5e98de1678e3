// Media fuzz host (not a test; tools/media-fuzz.sh runs it): one engine plays every damaged file
// of a folder unpaced for a bounded time, while a watchdog thread ends the process when the
// window thread stops answering for 5 s. Prints one line per file and the figures at the end.
//   media_fuzz.exe FOLDER [FIRST]   (FIRST: the name to start from, after a crash)
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
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
const double kCloseSeconds = 4;        // a stopped file still open this long is reported
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

// Where the calling thread's time went, read from Linux under Wine. Its processor time comes from
// the thread's CPU clock (schedstat's own running total moves only at the 4 ms tick, so it cannot
// time one call); schedstat gives the nanoseconds spent waiting for a processor and how many
// times the thread was put on one, both brought up to date whenever it changes processor. A slow
// call's time is split into running (processor time as Linux counts it: its own work, but also
// interrupts handled on its processor and stalls of the virtual processor that this machine does
// not count apart), waiting for a processor (preempted by busy threads), asleep or blocked (the
// rest, when the thread left the processor during the call) and taken by the host (the rest,
// when it never left it). The readings bracket the timed call and a little of the reads. They
// are Linux's own calls: Wine's ReadFile asks the Wine server, which takes the thread off the
// processor around nearly every read.
long long LinuxCall(long long number, long long a, long long b, long long c, long long d) {
  long long result;
  register long long r10 asm("r10") = d;
  asm volatile("syscall" : "=a"(result) : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10) : "rcx", "r11", "memory");
  return result;
}
const long long kOpen = 2, kPread = 17, kSetScheduler = 144, kFifo = 1,
                kResetOnFork = 0x40000000, kClockGetTime = 228, kThreadCpuClock = 3,
                kGetRusage = 98, kThisThread = 1;
long long schedFd = -1;  // the window thread's

struct Sched {
  double runUs = 0, queuedUs = 0;
  unsigned long long slices = 0;
  long long faults = 0;  // minor page faults so far
};

bool ReadSched(Sched& out) {
  char text[256];
  // From the start each time: the kernel writes the file afresh.
  long long n = schedFd < 0 ? -1 : LinuxCall(kPread, schedFd, reinterpret_cast<intptr_t>(text), sizeof text - 1, 0);
  if (n < 0) return false;
  text[n] = 0;
  unsigned long long run = 0, queued = 0;
  if (std::sscanf(text, "%llu %llu %llu", &run, &queued, &out.slices) != 3) return false;
  long long cpu[2];  // seconds, nanoseconds
  if (LinuxCall(kClockGetTime, kThreadCpuClock, reinterpret_cast<intptr_t>(cpu), 0, 0) != 0) return false;
  out.runUs = cpu[0] * 1e6 + cpu[1] / 1e3, out.queuedUs = queued / 1e3;
  long long usage[18];  // struct rusage: two timevals, then ru_maxrss, ..., ru_minflt at [8]
  if (LinuxCall(kGetRusage, kThisThread, reinterpret_cast<intptr_t>(usage), 0, 0) == 0) out.faults = usage[8];
  return true;
}

struct Calls {
  double maxUs = 0;
  long count = 0, slow = 0, unread = 0, left = 0, fastLeft = 0;
  double slowUs = 0, runUs = 0, queuedUs = 0, asleepUs = 0;  // over the slow calls whose split was read
  const char* tag;  // starts each slow call's log line
  explicit Calls(const char* t) : tag(t) {}
  // Each slow call is also logged, with what it asked, for finding where in a file it fell.
  template <class F> void Time(const wchar_t* asked, F&& call) {
    Sched a, b;
    bool known = ReadSched(a);
    double t0 = Now();
    call();
    double us = (Now() - t0) * 1e6;
    known = known && ReadSched(b);
    maxUs = std::max(maxUs, us);
    ++count;
    if (us <= kSlowCallUs) return void(fastLeft += known && b.slices != a.slices);
    ++slow;
    if (!known) return void(++unread);
    double run = b.runUs - a.runUs, queued = b.queuedUs - a.queuedUs;
    std::printf("slow %s %ls %.1f us running %.1f waiting %.1f %s, page faults %lld\n", tag, asked, us, run,
                queued, b.slices != a.slices ? "left the processor" : "stayed", b.faults - a.faults);
    slowUs += us, runUs += run, queuedUs += queued;
    if (b.slices != a.slices) ++left, asleepUs += std::max(0.0, us - run - queued);
  }
  void Print(const char* title) const {
    std::printf("%s calls %ld max_us %.1f over_%.0f_us %ld, their %.0f us: running %.0f, waiting for a "
                "processor %.0f, asleep or blocked %.0f, the rest taken by the host; %ld of them and %ld of the "
                "other calls left the processor (split unread for %ld)\n",
                title, count, maxUs, kSlowCallUs, slow, slowUs, runUs, queuedUs, asleepUs, left, fastLeft, unread);
  }
};

// The same work with no engine behind it (a locked map lookup and a string copy), timed the same
// way: its slow calls are the machine's, not the engine's.
std::mutex referenceMutex;
std::map<std::wstring, std::wstring> referenceVars{{L"state_playstop", L"0"}, {L"state_width", L"320"}};

// Asks what the host asks every tick, timing each answer and the reference beside it. The two
// take turns at going first: the first call after the message pump is the one most often slow.
void Ask(Stage& s, Calls& c, Calls& reference) {
  static const wchar_t* names[] = {L"ns.time", L"state_duration", L"state_width", L"state_height",
                                   L"state_playstop"};
  static bool referenceFirst = false;
  referenceFirst = !referenceFirst;
  std::wstring v;
  for (const wchar_t* n : names) {
    auto ask = [&] { c.Time(n, [&] { GetVariable(s.engine, n, &v); }); };
    auto look = [&] {
      reference.Time(n, [&] {
        std::lock_guard<std::mutex> lock(referenceMutex);
        auto it = referenceVars.find(n);
        v = it == referenceVars.end() ? std::wstring() : it->second;
      });
    };
    if (referenceFirst) look(), ask();
    else ask(), look();
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
    if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(n);
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

  schedFd = LinuxCall(kOpen, reinterpret_cast<intptr_t>("/proc/thread-self/schedstat"), 0, 0, 0);
  // MEDIA_FUZZ_HOST_FIRST: the window thread runs real-time, so no busy thread can take its
  // processor mid-call; a slow call left either waited on the engine or was stalled by the machine.
  // Threads it starts (the engine's among them) must not inherit that: they start as usual.
  if (std::getenv("MEDIA_FUZZ_HOST_FIRST")) {
    int priority = 1;
    long long rc = LinuxCall(kSetScheduler, 0, kFifo | kResetOnFork, reinterpret_cast<intptr_t>(&priority), 0);
    std::printf("window thread real-time: %s\n", rc == 0 ? "yes" : "refused");
  }
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
  Calls calls("getvariable"), reference("reference");
  double baseline = 0, worst = 0;
  std::string worstFile;
  int played = 0, unfinished = 0, unopened = 0, unclosed = 0;
  double longestClose = 0;
  std::string longestCloseFile;
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
    // The engine closes a file on its own thread, the window thread going on at once; memory is
    // read once it has.
    double stopped = Now();
    bool closed = WaitFor([&] { Ask(s, calls, reference); return s.Counters().sessionsOpen == 0; }, kCloseSeconds);
    double closeMs = (Now() - stopped) * 1000;
    unclosed += !closed;
    if (closeMs > longestClose) longestClose = closeMs, longestCloseFile = current;
    double mb = PrivateMb();
    if (++played == 3) baseline = mb;  // after the first files: the engine's own buffers exist
    if (played > 3 && mb - baseline > worst) worst = mb - baseline, worstFile = current;
    // A file that never opened gives no end signal (as the movie behaves): that is not a hang.
    bool opened = pictures > 0 || time > 0;
    unfinished += !ended && opened;
    unopened += !ended && !opened;
    std::printf("done %s %.0f ms private %.1f MB pictures %ld %s at %.2f s, %s in %.0f ms\n", current.c_str(),
                (stopped - start) * 1000, mb, pictures, ended ? "ended" : opened ? "unfinished" : "unopened", time,
                closed ? "closed" : "NOT closed", closeMs);
  }
  current = "(shutdown)";
  beat = GetTickCount64();
  double end = PrivateMb();
  std::printf("unfinished after %.0f s of play: %d opened, %d never opened (no end signal)\n",
              kPlaySeconds, unfinished, unopened);
  std::printf("files %d\n", played);
  std::printf("closing after stop: longest %.0f ms (%s), %d not closed within %.0f s\n", longestClose,
              longestCloseFile.c_str(), unclosed, kCloseSeconds);
  calls.Print("getvariable");
  reference.Print("reference (a locked map lookup, same thread, same run):");
  std::printf("private_mb baseline %.1f worst_after_file +%.1f (%s) end +%.1f\n", baseline, worst,
              worstFile.c_str(), end - baseline);
  std::fflush(stdout);
  return 0;
}
