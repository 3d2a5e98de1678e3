// The playback pipeline behind one engine: a reader thread that opens, seeks and demuxes, and
// per open file a video decoding thread, a video output thread (timing and scaling) and an
// audio thread (decoding, resampling, volume, device). The user interface thread only posts
// commands and reads atomics; it never waits on file input or decoding.
#pragma once
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/player/slim_lock.h"

// Messages the pipeline posts to the engine window.
constexpr UINT kMsgPresent = WM_APP + 0x301;   // a new picture is ready
constexpr UINT kMsgMetadata = WM_APP + 0x302;  // read it with Player::TakeMetadata
constexpr UINT kMsgStatus = WM_APP + 0x303;    // wParam: Status, lParam: serial

enum class Status : WPARAM { PlayStop = 1, SeekNotify = 2 };

struct Metadata {
  uint32_t session;
  double duration;  // seconds, NaN when unknown
  int width, height;  // display size; 0 when there is no picture
};

// Final samples on their way to the device (after volume): a seam for tests.
using AudioTap = void (*)(void* context, const float* samples, int frames, int channels);
struct AudioTapBinding {  // swapped as one: a call never sees a new hook with an old context
  AudioTap tap;
  void* context;
};

// Which sound device the engine opens (tests pick one; Best tries them in order).
enum class AudioDevice { Best, Wasapi, WaveOut, Silent };

// Settings for tests and the benchmark only: live atomics in the engine those programs link (built
// with NIMBREL_ENGINE_PROBE), constants whose branches compile away in the program's own.
#ifdef NIMBREL_ENGINE_PROBE
template <class T> using Hook = std::atomic<T>;
#else
template <class T> struct Hook {
  static T load() { return T{}; }
};
#endif

// A time line that runs from an anchor while running; read without locks by any thread.
class PlayClock {
 public:
  double Now() const;
  bool Running() const { return running_.load(std::memory_order_acquire); }
  void Set(double pts, bool running);
  void SetRunning(bool running);
  void Nudge(double delta);  // moves a running clock by delta seconds
 private:
  mutable SlimMutex writer_;
  std::atomic<uint32_t> seq_{0};
  std::atomic<double> pts_{0};
  std::atomic<int64_t> anchor_{0};
  std::atomic<bool> running_{false};
};

int64_t QpcNow();
double QpcSeconds(int64_t ticks);

struct Picture {
  std::vector<uint8_t> bits;  // top-down BGRA
  int width = 0, height = 0;
  uint32_t session = 0;
};

struct Session;
struct AVFrame;
enum class Stream;

class Player {
 public:
  explicit Player(HWND window);
  ~Player();
  // Stops every thread. A reader stuck in a read that cannot be cancelled is left to finish on
  // its own within the bound: it then deletes the player itself. Use instead of delete.
  static void Shutdown(std::unique_ptr<Player> player);

  // Commands from the user interface thread; each returns at once.
  void Open(const std::wstring& path, uint32_t session);
  void Close();
  void SetPaused(bool paused);
  void Seek(double seconds);
  void SetVolume(double fraction) { volume_.store(fraction); }
  void SetScaler(int flags);
  void SetSkipLoopFilter(int discard) { skipLoopFilter_.store(discard); }
  void SetPictureSize(int width, int height);  // the fitted size the scaler converts to

  double Time() const;        // the stream position for ns.time
  uint32_t Serial() const { return serial_.load(); }
  // The newest picture (user interface thread only): the worker never touches the one returned,
  // so drawing it needs no lock.
  const Picture& TakePicture();
  size_t PictureBytes();  // what the handed-over pictures hold
  void PresentHandled() { presentPending_.store(false); }
  Metadata TakeMetadata();  // the newest file's metadata (session 0 when none)

  // Counters for the benchmark and tests.
  std::atomic<long> framesShown{0}, framesDropped{0}, framesPainted{0};
  std::atomic<long> packetsHeldPeak{0}, audioOpens{0}, pictureGiveUps{0};
  std::atomic<long> sessionsOpen{0};  // files the reader holds, until their threads and buffers are gone
  std::atomic<double> shownTime_{0};  // position of the newest picture shown
  std::atomic<double> lateSum_{0}, lateMax_{0};  // seconds past their time pictures went up
  std::atomic<long> lateCount_{0};
  std::atomic<int> openedDevice_{0};  // AudioDevice of the open output, 0 before any
  // Test hooks: pictures shown as fast as they decode; a decoder given this many threads; the
  // sound device to open from the next file on; every sound device gone (the open one lost, none
  // opens) while set; the sound on its way out.
  Hook<bool> unpaced;
  Hook<int> decoderThreads_;
  Hook<AudioDevice> audioDevice_;
  Hook<bool> deviceGone_;
  Hook<std::shared_ptr<const AudioTapBinding>> tap_;

  // The sound device, kept from file to file (audio threads only, one at a time): when the wanted
  // one is next tried while the silent clock stands in (0: it is open), and which was wanted.
  std::unique_ptr<class AudioOutput> audio_;
  int64_t audioRetryAt_ = 0;
  int audioOpenedFor_ = -1;

  // News for the engine's threads: a command, a picture queued, the clock started or stopped, a
  // stream's mark. Each waits for news after the count it saw, or for its own bound.
  uint64_t News();
  uint64_t WaitNews(uint64_t seen, double seconds);
  void Notify();

 private:
  friend struct Session;
  friend void VideoOutputThread(Session*);
  friend void VideoDecodeThread(Session*);
  friend void AudioThread(Session*);
  friend void CoverThread(Session*);
  void ReaderThread();
  bool OpenFile(std::unique_ptr<Session>& s, const std::wstring& path);
  void StartWorkers(Session* s);
 public:
  int Interrupted() const { return quit_.load() || commandWaiting_.load(); }
 private:
  void Publish(Picture& picture);
  // Each stream reports where its first frame after an open or seek lands (NaN: it has none); the
  // clock starts (StartAt) once every stream that plays has, or at once when forced (the other
  // made no progress for kWaitBound).
  void ReportStart(Session* s, uint32_t serial, Stream which, double first, double target);
  void ForceStart(Session* s, uint32_t serial);
  void CheckStart(Session* s);  // a stream stopped playing (given up)
  void TryStart(Session* s, uint32_t serial, bool force);  // under endMutex_
  void StartClock(uint32_t serial, double pts);  // under endMutex_
  void CheckEnd(Session* s);
  void OpenFailed();
  void NudgeClock(uint32_t serial, double delta);
  void PostSize(Session* s, const AVFrame* frame);  // the picture's size changed mid-stream
  static constexpr int kReadRetries = 5;
  void Post(UINT message, WPARAM w, LPARAM l) { PostMessageW(window_, message, w, l); }

  HWND window_;
  std::thread reader_;
  std::atomic<bool> quit_{false};

  // The reader's command slot.
  SlimMutex commandMutex_;
  SlimCondition commandCv_;
  bool openPending_ = false, closePending_ = false, seekPending_ = false;
  std::wstring openPath_;
  uint32_t openSession_ = 0;
  double seekTarget_ = 0;
  uint32_t seekSerial_ = 0;
  std::atomic<bool> commandWaiting_{false};  // interrupts a slow open or read
  std::atomic<bool> readerResting_{false};    // a consumer taking packets tells it
 public:
  void QueueDrained() {
    if (!readerResting_.load()) return;
    std::lock_guard<SlimMutex> lock(commandMutex_);  // the reader is looking or already waits
    commandCv_.notify_all();
  }
 private:

  // Shared state of the current stream.
  std::atomic<uint32_t> serial_{1};         // bumped by every open and seek
  std::atomic<uint32_t> startedSerial_{0};  // serial whose clock has started
  std::atomic<uint32_t> notifySerial_{0};   // seek serial waiting for its notice
  std::atomic<uint32_t> endSerial_{0};      // serial whose end has been posted
  // Start reports of the latest serial (under endMutex_).
  uint32_t reportSerial_ = 0;
  bool reported_[2] = {false, false};
  double firstAt_[2] = {NAN, NAN};
  double startTarget_ = 0;
  std::atomic<bool> paused_{false};
  bool fileRequested_ = false;  // under endMutex_: a file was asked for, not closed, not failed
  std::atomic<bool> open_{false};
  std::atomic<double> duration_{0};
  PlayClock clock_;
  SlimMutex endMutex_;

  std::atomic<double> volume_{1.0};
  SlimMutex newsMutex_;
  SlimCondition newsCv_;
  uint64_t news_ = 0;
  std::atomic<int> scalerFlags_{0};
  std::atomic<int> skipLoopFilter_{0};
  std::atomic<uint32_t> pictureSize_{0};  // width << 16 | height
  std::atomic<uint32_t> outputGeneration_{0};  // bumped when size or flags change
  std::atomic<int> readerState_{0};  // 1: the reader has finished, 2: nobody waits for it
  std::atomic<HANDLE> readerHandle_{nullptr};  // for cancelling its blocking read; closed with the player

  SlimMutex metadataMutex_;  // held only to copy the record
  Metadata metadata_{0, 0, 0, 0};
  SlimMutex pictureMutex_;
  Picture ready_;    // the newest picture, handed over under the mutex
  bool readyNew_ = false;
  Picture front_;    // the one on screen, user interface thread only
  bool showing_ = false;  // pictures are taken: a file was opened and not closed since
  std::atomic<bool> presentPending_{false};

};
