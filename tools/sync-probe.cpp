// Watches one point of the X screen and the default sink's monitor, both on CLOCK_MONOTONIC,
// and prints each rise of the point to white ("flash T") and each beep onset in the sound
// ("beep T"), T in seconds. Prints "ready" once recording; the point comes later as a line
// "X Y" on stdin (the sound server settles before the player starts); ends when stdin closes.
// Built natively by tools/sync-measure.py: g++ -O2 sync-probe.cpp -lXdamage -lXfixes -lX11
// -lpulse-simple -lpulse -pthread
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <sched.h>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kChunk = 240;                 // 5 ms per read
constexpr int kBeepLevel = 4000;            // of 32767: a quarter of the clip's beep
constexpr int kQuietBeforeBeep = kRate / 4; // a beep starts after 250 ms of quiet
constexpr double kDarkBeforeFlash = 0.25;   // a flash starts after 250 ms of dark
constexpr int kWhiteLevel = 3 * 160;        // sum of R, G and B

std::mutex out_lock;
std::atomic<bool> done{false};

double now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}

void report(const char* what, double t) {
  std::lock_guard<std::mutex> hold(out_lock);
  std::printf("%s %.6f\n", what, t);
  std::fflush(stdout);
}

// Sound: each chunk's last sample was captured "latency" before it is read. The chunks'
// start times scatter with the reads; the median of the recent ones (sample count against
// time) stands for the steady sample clock.
struct Sound {
  pa_simple* stream = nullptr;
  long long samples = 0;
  long long quiet = kQuietBeforeBeep;
  std::vector<double> bases;
};

bool open_sound(Sound& s) {
  pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 1};
  pa_buffer_attr attr;
  std::memset(&attr, 0xff, sizeof attr);
  attr.fragsize = kChunk * 2;
  int error = 0;
  s.stream = pa_simple_new(nullptr, "sync-probe", PA_STREAM_RECORD, "@DEFAULT_MONITOR@", "monitor",
                           &spec, nullptr, &attr, &error);
  if (!s.stream) std::fprintf(stderr, "sync-probe: no sound monitor: %s\n", pa_strerror(error));
  return s.stream != nullptr;
}

void read_sound(Sound& s) {
  int16_t chunk[kChunk];
  while (!done) {
    int error = 0;
    if (pa_simple_read(s.stream, chunk, sizeof chunk, &error) < 0) {
      std::fprintf(stderr, "sync-probe: sound read: %s\n", pa_strerror(error));
      return;
    }
    pa_usec_t latency = pa_simple_get_latency(s.stream, &error);
    s.samples += kChunk;
    s.bases.push_back(now() - latency * 1e-6 - double(s.samples) / kRate);
    if (s.bases.size() > 25) s.bases.erase(s.bases.begin());
    std::vector<double> sorted = s.bases;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    double base = sorted[sorted.size() / 2];
    for (int i = 0; i < kChunk; ++i) {
      if (std::abs(int(chunk[i])) < kBeepLevel) {
        ++s.quiet;
        continue;
      }
      if (s.quiet >= kQuietBeforeBeep) report("beep", base + double(s.samples - kChunk + i) / kRate);
      s.quiet = 0;
    }
  }
}

// Picture: every drawing that covers the point wakes the reader, which then reads the point.
// The image reflects all drawing reported before its reply, so a rise is dated by the wake-up.
int brightness(Display* d, int x, int y) {
  XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0;
  unsigned long p = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return int((p >> 16) & 0xff) + int((p >> 8) & 0xff) + int(p & 0xff);
}

void watch_picture(Display* d, int damage_event) {
  pollfd fds[2] = {{ConnectionNumber(d), POLLIN, 0}, {0, POLLIN, 0}};
  int x = -1, y = -1;
  bool white = false;
  double dark_since = 1e300;
  std::string line;
  while (true) {
    XFlush(d);
    fds[0].revents = fds[1].revents = 0;
    if (!XEventsQueued(d, QueuedAfterReading) && poll(fds, 2, -1) < 0) continue;
    double woke = now();
    if (fds[1].revents) {
      char buffer[256];
      ssize_t n = read(0, buffer, sizeof buffer);
      if (n <= 0) return;
      line.append(buffer, n);
      size_t end = line.find('\n');
      if (end != std::string::npos && std::sscanf(line.c_str(), "%d %d", &x, &y) == 2) {
        white = brightness(d, x, y) >= kWhiteLevel;
        dark_since = white ? 1e300 : woke;
      }
      if (end != std::string::npos) line.erase(0, end + 1);
    }
    bool covered = false;
    while (XEventsQueued(d, QueuedAfterReading)) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type != damage_event + XDamageNotify) continue;
      const XRectangle& a = reinterpret_cast<XDamageNotifyEvent&>(e).area;
      covered |= x >= a.x && x < a.x + a.width && y >= a.y && y < a.y + a.height;
    }
    if (!covered) continue;
    bool was_white = white;
    white = brightness(d, x, y) >= kWhiteLevel;
    if (white && !was_white && woke - dark_since >= kDarkBeforeFlash) report("flash", woke);
    if (!white && was_white) dark_since = woke;
  }
}

}  // namespace

int main() {
  Display* d = XOpenDisplay(nullptr);
  int damage_event = 0, damage_error = 0;
  if (!d || !XDamageQueryExtension(d, &damage_event, &damage_error)) {
    std::fprintf(stderr, "sync-probe: no X display with DAMAGE\n");
    return 1;
  }
  XDamageCreate(d, DefaultRootWindow(d), XDamageReportRawRectangles);
  // Woken promptly on a loaded machine where allowed (both threads only wait between events).
  sched_param priority{};
  priority.sched_priority = 10;
  sched_setscheduler(0, SCHED_FIFO, &priority);
  Sound sound;
  if (!open_sound(sound)) return 1;
  std::thread sound_reader(read_sound, std::ref(sound));
  report("ready", now());
  watch_picture(d, damage_event);
  done = true;
  sound_reader.join();  // the monitor runs on while the sink exists: the next read returns
  pa_simple_free(sound.stream);
  XCloseDisplay(d);
  return 0;
}
