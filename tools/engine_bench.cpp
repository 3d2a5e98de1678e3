// Engine figures (not a test; tools/engine-bench.sh runs it and prints the references measured in
// the same run beside them): unpaced and paced 1080p H.264 into 1280 x 720, the processor time
// paced playback takes, the first picture and seeks, and how often the process wakes up while
// paused. Wake-ups and processor time come from Linux (/proc through Wine's Z: drive), so they
// count what Wine does for the engine too; WINESERVER_PID names the Wine server to add its time.
// cpu: the processor time alone; --colour: the HDR step's cost per picture.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "engine/player/picture_convert.h"
#include "engine_test_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

double Seconds() {
  LARGE_INTEGER t, f;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&f);
  return double(t.QuadPart) / double(f.QuadPart);
}

// Processor seconds of a Linux process (user and system), from its stat file.
double CpuSeconds(const std::wstring& pid) {
  std::string stat = ReadBytes(L"Z:\\proc\\" + pid + L"\\stat");
  size_t paren = stat.rfind(')');
  if (paren == std::string::npos) return 0;
  std::istringstream fields(stat.substr(paren + 2));
  std::string skip;
  for (int i = 3; i < 14; ++i) fields >> skip;  // state .. cmajflt
  double user = 0, system = 0;
  fields >> user >> system;
  return (user + system) / 100;  // clock ticks
}

double ServerCpuSeconds() {
  const wchar_t* pid = _wgetenv(L"WINESERVER_PID");
  return pid && *pid ? CpuSeconds(pid) : 0;
}

// This process's Linux id: Wine resolves /proc/self as its server's, so it is looked up by name.
std::wstring LinuxPid() {
  std::wstring found;
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW(L"Z:\\proc\\*", &d);
  if (h == INVALID_HANDLE_VALUE) return found;
  do {
    if (d.cFileName[0] < L'0' || d.cFileName[0] > L'9') continue;
    if (ReadBytes(std::wstring(L"Z:\\proc\\") + d.cFileName + L"\\comm").rfind("engine_bench", 0) == 0)
      found = d.cFileName;  // Wine names the process after its exe
  } while (found.empty() && FindNextFileW(h, &d));
  FindClose(h);
  return found;
}

// Context switches of every thread of the process so far: each is a wake-up (or a preemption).
long long Switches(const std::wstring& pid) {
  long long total = 0;
  WIN32_FIND_DATAW d;
  std::wstring tasks = L"Z:\\proc\\" + pid + L"\\task\\";
  HANDLE h = FindFirstFileW((tasks + L"*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return -1;
  do {
    if (d.cFileName[0] == L'.') continue;
    std::istringstream status(ReadBytes(tasks + d.cFileName + L"\\status"));
    for (std::string line; std::getline(status, line);)
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
        total += std::atoll(line.substr(line.find(':') + 1).c_str());
  } while (FindNextFileW(h, &d));
  FindClose(h);
  return total;
}

// How late the pictures handed to the window between two readings went up, past their time.
void PrintLate(const char* name, const MediaEngineCounters& a, const MediaEngineCounters& b) {
  long n = b.pictureTimes - a.pictureTimes;
  std::printf("%s mean %.2f max %.2f (%ld pictures handed to the window past their time on the clock)\n", name,
              n ? (b.lateSum - a.lateSum) / n * 1000 : 0.0, b.lateMax * 1000, n);
}

// Processor seconds of 10 s of paced 1080p into 1280 x 720 (the process, and with its Wine server),
// from its first picture on; prints it, and the pictures and their lateness, under `name`.
void PacedCpu(const char* name) {
  Stage s(1280, 720);
  s.Set(L"state_smoothing", L"1");
  s.Set(L"state_quality", L"1");
  s.PlayFile(L"bench_1080p.mp4");
  WaitFor([&] { return s.Counters().framesShown > 0; }, 10);
  Pump(0.5);
  MediaEngineCounters a = s.Counters();
  std::wstring self = LinuxPid();
  double cpu0 = CpuSeconds(self), server0 = ServerCpuSeconds(), t0 = Seconds();
  Pump(10);
  double cpu = CpuSeconds(self) - cpu0, server = ServerCpuSeconds() - server0, wall = Seconds() - t0;
  MediaEngineCounters b = s.Counters();
  std::printf("%s %.2f (process) %.2f (with the Wine server) in %.2f s; shown %ld dropped %ld\n", name, cpu,
              cpu + server, wall, b.framesShown - a.framesShown, b.framesDropped - a.framesDropped);
}

// The first picture of a clip, decoded.
AVFrame* FirstPicture(const wchar_t* clip) {
  std::wstring wide = Clip(clip);
  std::string path(wide.begin(), wide.end());
  AVFormatContext* format = nullptr;
  AVFrame* frame = av_frame_alloc();
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return frame;
  avformat_find_stream_info(format, nullptr);
  int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  const AVCodec* codec = index >= 0 ? avcodec_find_decoder(format->streams[index]->codecpar->codec_id) : nullptr;
  AVCodecContext* c = avcodec_alloc_context3(codec);
  if (codec && avcodec_parameters_to_context(c, format->streams[index]->codecpar) >= 0 && avcodec_open2(c, codec, nullptr) >= 0) {
    AVPacket* packet = av_packet_alloc();
    while (av_read_frame(format, packet) >= 0) {
      bool mine = packet->stream_index == index;
      if (mine) avcodec_send_packet(c, packet);
      av_packet_unref(packet);
      if (mine && avcodec_receive_frame(c, frame) == 0) break;
    }
    av_packet_free(&packet);
  }
  avcodec_free_context(&c);
  avformat_close_input(&format);
  return frame;
}

// Milliseconds a picture takes from decoded to 1280 x 720 BGRA (bilinear), over repeated runs.
double ConvertMs(const AVFrame* f) {
  PictureConverter c;
  std::vector<uint8_t> bgra(1280 * 720 * 4);
  ConvertPicture(&c, f, 1280, 720, SWS_BILINEAR, bgra.data(), 1280 * 4);  // the scaler and tables made
  const int n = 40;
  double start = Seconds();
  for (int i = 0; i < n; ++i) ConvertPicture(&c, f, 1280, 720, SWS_BILINEAR, bgra.data(), 1280 * 4);
  return (Seconds() - start) / n * 1000;
}

// The HDR step's cost: a 1080p PQ picture converted with it, and the same picture tagged SDR
// (the same scaler work at the same precision, without the light step).
int ColourBench() {
  AVFrame* f = FirstPicture(L"bench_hdr_pq.mp4");
  if (!f->width) return std::printf("bench_hdr_pq.mp4 does not decode\n"), 1;
  double hdr = ConvertMs(f);
  f->color_trc = AVCOL_TRC_BT709;
  f->color_primaries = AVCOL_PRI_BT709;
  double sdr = ConvertMs(f);
  std::printf("hdr_convert_ms %.2f (1080p PQ BT.2020 10-bit to 1280x720, tone curve and gamut step)\n", hdr);
  std::printf("sdr_convert_ms %.2f (the same picture tagged SDR BT.709, same run: no HDR step)\n", sdr);
  std::printf("hdr_step_ms %.2f (ratio %.2f)\n", hdr - sdr, hdr / sdr);
  av_frame_free(&f);
  f = FirstPicture(L"bench_1080p.mp4");
  std::printf("sdr_8bit_convert_ms %.2f (a 1080p 8-bit BT.709 picture, same scaling)\n", ConvertMs(f));
  av_frame_free(&f);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "cpu") {  // the processor time alone (engine-bench.sh runs it in turns)
    PacedCpu("paced_cpu_s");
    MediaEngineShutdown();
    return 0;
  }
  if (argc > 1 && std::strcmp(argv[1], "--colour") == 0) return ColourBench();
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
  {  // Paced 1080p30 into 1280 x 720 for 10 s; then first picture, seeks, and paused.
    Stage s(1280, 720);
    s.Set(L"state_smoothing", L"1");
    s.Set(L"state_quality", L"1");
    double start = Seconds();
    s.PlayFile(clip);
    WaitFor([&] { return s.Counters().framesShown > 0; }, 10);
    std::printf("first_picture_ms %.1f\n", (Seconds() - start) * 1000);
    MediaEngineCounters a = s.Counters();
    std::wstring self = LinuxPid();
    Pump(10);
    MediaEngineCounters b = s.Counters();
    std::printf("paced_10s shown %ld painted %ld dropped %ld\n", b.framesShown - a.framesShown,
                b.framesPainted - a.framesPainted, b.framesDropped - a.framesDropped);
    PrintLate("paced_late_ms", a, b);

    s.Set(L"state_pause", L"1");
    Pump(0.5);
    long long w0 = Switches(self);
    double p0 = Seconds();
    Sleep(5000);  // no message pump either: the engine's threads and Wine's own alone
    std::printf("paused_wakeups_per_s %.1f (every thread of the process, 5 s)\n", (Switches(self) - w0) / (Seconds() - p0));

    double total = 0;
    for (const wchar_t* t : {L"3", L"9", L"1", L"7", L"5"}) {
      long before = s.Counters().framesShown;
      double s0 = Seconds();
      s.Set(L"state_seek", t);
      WaitFor([&] { return s.Counters().framesShown > before; }, 10);
      total += Seconds() - s0;
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
  if (GetFileAttributesW(Clip(L"flashes-60-4k.mp4").c_str()) != INVALID_FILE_ATTRIBUTES) {
    // 4K HEVC at 30 frames a second with sound into 1280 x 720 (the sync measure's clip), 10 s.
    Stage s(1280, 720);
    s.Set(L"state_smoothing", L"1");
    s.Set(L"state_quality", L"1");
    s.PlayFile(L"flashes-60-4k.mp4");
    WaitFor([&] { return s.Counters().framesShown > 0; }, 10);
    MediaEngineCounters a = s.Counters();
    Pump(10);
    MediaEngineCounters b = s.Counters();
    std::printf("uhd_paced_10s shown %ld dropped %ld (4K HEVC 30/s with sound into 1280x720)\n",
                b.framesShown - a.framesShown, b.framesDropped - a.framesDropped);
    PrintLate("uhd_late_ms", a, b);
  }
  MediaEngineShutdown();
  return 0;
}
