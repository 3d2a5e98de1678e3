// Engine figures on a 1080p H.264 clip (not a test; tools/engine-bench.sh runs it beside native
// ffmpeg on the same clip and prints the ratio). --colour: the HDR step's cost per picture.
#include <cstdio>
#include <cstring>

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
