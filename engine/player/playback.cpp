#include "engine/player/playback.h"

#include <cmath>
#include <vector>

#include "engine/player/audio_output.h"
#include "engine/player/session.h"

// ---- clock ----

int64_t QpcNow() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

double QpcSeconds(int64_t ticks) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return static_cast<double>(ticks) / frequency;
}

double PlayClock::Now() const {
  auto at = [](double pts, int64_t anchor, bool running) {
    return running ? pts + QpcSeconds(QpcNow() - anchor) : pts;
  };
  for (int tries = 0; tries < 64; ++tries) {
    uint32_t s1 = seq_.load(std::memory_order_acquire);
    if (s1 & 1) continue;
    double pts = pts_.load(std::memory_order_relaxed);
    int64_t anchor = anchor_.load(std::memory_order_relaxed);
    bool running = running_.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (seq_.load(std::memory_order_relaxed) != s1) continue;
    return at(pts, anchor, running);
  }
  // The writer lost its processor mid-store, perhaps to this very thread: spinning on would keep
  // it off, so wait on its lock, which hands the processor over.
  std::lock_guard<SlimMutex> lock(writer_);
  return at(pts_.load(std::memory_order_relaxed), anchor_.load(std::memory_order_relaxed),
            running_.load(std::memory_order_relaxed));
}

void PlayClock::Set(double pts, bool running) {
  std::lock_guard<SlimMutex> lock(writer_);
  int64_t anchor = QpcNow();  // read before the count goes odd: readers spin over the stores only
  seq_.fetch_add(1, std::memory_order_acq_rel);
  pts_.store(pts, std::memory_order_relaxed);
  anchor_.store(anchor, std::memory_order_relaxed);
  running_.store(running, std::memory_order_relaxed);
  seq_.fetch_add(1, std::memory_order_release);
}

void PlayClock::SetRunning(bool running) { Set(Now(), running); }

void PlayClock::Nudge(double delta) {
  if (Running()) Set(Now() + delta, true);
}

uint64_t Player::News() {
  std::lock_guard<SlimMutex> lock(newsMutex_);
  return news_;
}

uint64_t Player::WaitNews(uint64_t seen, double seconds) {
  std::unique_lock<SlimMutex> lock(newsMutex_);
  if (news_ == seen && seconds > 0)
    newsCv_.wait_for(lock, std::chrono::milliseconds(static_cast<int64_t>(std::ceil(std::min(seconds, 60.0) * 1000))));
  return news_;
}

void Player::Notify() {
  {
    std::lock_guard<SlimMutex> lock(newsMutex_);
    ++news_;
  }
  newsCv_.notify_all();
}

// ---- player commands (user interface thread) ----

Player::Player(HWND window) : window_(window) {
  reader_ = std::thread([this] { ReaderThread(); });
}

Player::~Player() {
  quit_ = true;
  commandCv_.notify_all();
  Notify();
  if (reader_.joinable()) reader_.join();
  if (HANDLE h = readerHandle_.load()) CloseHandle(h);
}

void Player::Shutdown(std::unique_ptr<Player> player) {
  Player* p = player.release();
  p->quit_ = true;
  p->commandCv_.notify_all();
  p->Notify();
  // A read blocked on a file that stopped answering (a vanished network share) is cancelled;
  // one that cannot be is not waited for past the bound.
  for (int waited = 0; p->readerState_.load() == 0 && waited < 1000; waited += 10) {
    if (HANDLE thread = p->readerHandle_.load()) CancelSynchronousIo(thread);
    Sleep(10);
  }
  int expected = 0;
  if (p->readerState_.compare_exchange_strong(expected, 2)) {  // still reading: it deletes itself
    p->reader_.detach();
    return;
  }
  delete p;
}

void Player::Open(const std::wstring& path, uint32_t session) {
  std::lock_guard<SlimMutex> lock(endMutex_);
  uint32_t serial = ++serial_;
  paused_ = false;
  notifySerial_ = 0;
  fileRequested_ = true;
  duration_ = 0;
  clock_.Set(0, false);
  {
    std::lock_guard<SlimMutex> c(commandMutex_);
    openPending_ = true;
    closePending_ = false;
    seekPending_ = false;
    openPath_ = path;
    openSession_ = session;
    seekSerial_ = serial;
    seekTarget_ = 0;
    commandWaiting_ = true;
  }
  commandCv_.notify_all();
  Notify();
  std::lock_guard<SlimMutex> p(pictureMutex_);
  showing_ = true;
}

void Player::Close() {
  std::lock_guard<SlimMutex> lock(endMutex_);
  ++serial_;
  fileRequested_ = false;
  duration_ = 0;
  clock_.Set(0, false);
  {
    std::lock_guard<SlimMutex> c(commandMutex_);
    closePending_ = true;
    openPending_ = false;
    seekPending_ = false;
    commandWaiting_ = true;
  }
  commandCv_.notify_all();
  Notify();
  // Nothing is shown while stopped: the pictures (the panel's size, megabytes at full screen) go,
  // and one the closing file's thread hands over late is not taken.
  std::lock_guard<SlimMutex> p(pictureMutex_);
  showing_ = false;
  ready_ = Picture{};
  front_ = Picture{};
  readyNew_ = false;
}

void Player::Seek(double seconds) {
  std::lock_guard<SlimMutex> lock(endMutex_);
  if (!fileRequested_) return;  // no stream: nothing to seek
  double d = duration_.load();
  if (!(seconds > 0)) seconds = 0;  // negative or not a number: the start
  if (d > 0 && seconds > d) seconds = d;
  seconds = std::min(seconds, 1e9);  // beyond any file, and safe to convert to a timestamp
  uint32_t serial = ++serial_;
  notifySerial_ = serial;
  clock_.Set(seconds, false);
  {
    std::lock_guard<SlimMutex> c(commandMutex_);
    seekPending_ = true;
    seekTarget_ = seconds;
    seekSerial_ = serial;
  }
  commandCv_.notify_all();
  Notify();
}

void Player::SetPaused(bool paused) {
  std::lock_guard<SlimMutex> lock(endMutex_);
  paused_ = paused;
  uint32_t serial = serial_;
  if (startedSerial_ == serial && endSerial_ != serial) clock_.SetRunning(!paused);
  Notify();
}

void Player::SetScaler(int flags) {
  if (scalerFlags_.exchange(flags) != flags) ++outputGeneration_, Notify();
}

void Player::SetPictureSize(int width, int height) {
  uint32_t packed = static_cast<uint32_t>(std::clamp(width, 0, 16383)) << 16 |
                    static_cast<uint32_t>(std::clamp(height, 0, 16383));
  if (pictureSize_.exchange(packed) != packed) ++outputGeneration_, Notify();
}

double Player::Time() const {
  double t = clock_.Now();
  double d = duration_.load();
  if (d > 0 && t > d) t = d;
  return t > 0 ? t : 0;
}

// ---- worker side ----

void Player::Publish(Picture& picture) {
  {
    std::lock_guard<SlimMutex> lock(pictureMutex_);
    if (!showing_) return;
    std::swap(ready_, picture);
    readyNew_ = true;
  }
  ++framesShown;
  if (!presentPending_.exchange(true)) Post(kMsgPresent, 0, 0);
}

Metadata Player::TakeMetadata() {
  std::lock_guard<SlimMutex> lock(metadataMutex_);
  return metadata_;
}

size_t Player::PictureBytes() {
  std::lock_guard<SlimMutex> lock(pictureMutex_);
  return ready_.bits.capacity() + front_.bits.capacity();
}

const Picture& Player::TakePicture() {
  std::lock_guard<SlimMutex> lock(pictureMutex_);
  if (readyNew_) {
    std::swap(front_, ready_);
    readyNew_ = false;
  }
  return front_;
}

void Player::ReportStart(Session* s, uint32_t serial, Stream which, double first, double target) {
  std::lock_guard<SlimMutex> lock(endMutex_);
  if (serial_ != serial || startedSerial_ == serial) return;
  if (reportSerial_ != serial) {
    reportSerial_ = serial;
    reported_[0] = reported_[1] = false;
    firstAt_[0] = firstAt_[1] = NAN;
  }
  reported_[static_cast<int>(which)] = true;
  firstAt_[static_cast<int>(which)] = first;
  startTarget_ = target;
  TryStart(s, serial, false);
}

void Player::ForceStart(Session* s, uint32_t serial) {
  std::lock_guard<SlimMutex> lock(endMutex_);
  TryStart(s, serial, true);
}

void Player::CheckStart(Session* s) {
  std::lock_guard<SlimMutex> lock(endMutex_);
  TryStart(s, serial_, false);
}

void Player::TryStart(Session* s, uint32_t serial, bool force) {
  if (serial_ != serial || startedSerial_ == serial || reportSerial_ != serial) return;
  bool picture = reported_[0] || s->videoIndex < 0 || s->videoGivenUp;
  bool sound = reported_[1] || s->audioIndex < 0;
  if (force || (picture && sound)) StartClock(serial, StartAt(startTarget_, firstAt_[0], firstAt_[1]));
}

void Player::StartClock(uint32_t serial, double pts) {
  startedSerial_ = serial;
  clock_.Set(pts, !paused_);
  if (notifySerial_ == serial) {
    notifySerial_ = 0;
    Post(kMsgStatus, static_cast<WPARAM>(Status::SeekNotify), serial);
  }
  Notify();
}

void Player::NudgeClock(uint32_t serial, double delta) {
  std::lock_guard<SlimMutex> lock(endMutex_);
  if (serial_ == serial && startedSerial_ == serial && endSerial_ != serial && !paused_) clock_.Nudge(delta);
}

void Player::CheckEnd(Session* s) {
  std::lock_guard<SlimMutex> lock(endMutex_);
  uint32_t serial = serial_;
  if (endSerial_ == serial || startedSerial_ != serial) return;
  bool videoOver = s->videoIndex < 0 || s->videoDone == serial;
  bool audioOver = s->audioIndex < 0 || s->audioDone == serial;
  if (!videoOver || !audioOver) return;
  endSerial_ = serial;
  clock_.SetRunning(false);
  Post(kMsgStatus, static_cast<WPARAM>(Status::PlayStop), serial);
  Notify();
}

// A file that cannot be opened ends at once, as a played one does, so the host's list goes on;
// unless a newer open or close is already waiting (it speaks instead). Seeks then do nothing.
void Player::OpenFailed() {
  std::lock_guard<SlimMutex> lock(endMutex_);
  {
    std::lock_guard<SlimMutex> c(commandMutex_);
    if (openPending_ || closePending_) return;
  }
  fileRequested_ = false;
  uint32_t serial = serial_;
  endSerial_ = serial;
  Post(kMsgStatus, static_cast<WPARAM>(Status::PlayStop), serial);
}

void Player::PostSize(Session* s, const AVFrame* frame) {
  AVRational sar = av_guess_sample_aspect_ratio(s->format, s->format->streams[s->videoIndex],
                                                const_cast<AVFrame*>(frame));
  int width = frame->width;
  if (sar.num > 0 && sar.den > 0 && sar.num != sar.den) width = static_cast<int>(std::lround(width * av_q2d(sar)));
  {
    std::lock_guard<SlimMutex> lock(metadataMutex_);
    if (metadata_.session != s->id) return;
    metadata_.width = width;
    metadata_.height = frame->height;
  }
  Post(kMsgMetadata, 0, 0);
}

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

AVCodecContext* OpenDecoder(AVStream* st, bool video, int threads) {
  const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
  if (!codec) return nullptr;
  AVCodecContext* c = avcodec_alloc_context3(codec);
  if (!c) return nullptr;
  if (avcodec_parameters_to_context(c, st->codecpar) < 0) { avcodec_free_context(&c); return nullptr; }
  c->pkt_timebase = st->time_base;
  c->max_pixels = kMaxPixels;  // a larger picture fails to decode instead of taking gigabytes
  if (video) {
    c->thread_count = threads;  // 0: one per core
    c->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  }
  if (avcodec_open2(c, codec, nullptr) < 0) { avcodec_free_context(&c); return nullptr; }
  return c;
}

void CloseSession(std::unique_ptr<Session>& s) {
  if (!s) return;
  s->abort = true;
  s->player->Notify();
  s->videoPackets.Wake();
  s->audioPackets.Wake();
  s->frames.Wake();
  for (std::thread* t : {&s->videoDecoder, &s->videoOutput, &s->audioWorker, &s->coverWorker})
    if (t->joinable()) t->join();
  s->videoPackets.Clear();
  s->audioPackets.Clear();
  s->frames.Clear();
  avcodec_free_context(&s->video);
  avcodec_free_context(&s->audio);
  avcodec_free_context(&s->cover);
  av_packet_free(&s->coverPacket);
  avformat_close_input(&s->format);
  Player* player = s->player;
  s.reset();
  --player->sessionsOpen;
}

}  // namespace

static int Interrupt(void* p) { return static_cast<Player*>(p)->Interrupted(); }

// The reader rests when the queues hold enough of both streams, when one alone holds far more
// than enough (the other stream may have ended long ago), or when they hold too much memory.
static bool Resting(Session* s) {
  PacketQueue &v = s->videoPackets, &a = s->audioPackets;
  return v.Cost() + a.Cost() > (15 << 20) || v.Over() || a.Over() ||
         ((s->videoIndex < 0 || v.Enough()) && (s->audioIndex < 0 || a.Enough()));
}

bool Player::OpenFile(std::unique_ptr<Session>& s, const std::wstring& path) {
  s->format = avformat_alloc_context();
  if (!s->format) return false;
  s->format->interrupt_callback = AVIOInterruptCB{Interrupt, this};
  if (avformat_open_input(&s->format, Utf8(path).c_str(), nullptr, nullptr) < 0) return false;
  AVFormatContext* ic = s->format;
  {
    // Probing decodes a picture too: the same size limit there.
    std::vector<AVDictionary*> options(ic->nb_streams, nullptr);
    for (auto& o : options) av_dict_set_int(&o, "max_pixels", kMaxPixels, 0);
    // It fails on a stream it cannot make sense of (a picture without its parameter sets): the
    // other streams may still play.
    int r = avformat_find_stream_info(ic, options.data());
    for (auto& o : options) av_dict_free(&o);
    if (r < 0 && ic->nb_streams == 0) return false;
  }
  s->startTime = ic->start_time != AV_NOPTS_VALUE ? ic->start_time / double(AV_TIME_BASE) : 0;
  // Pictures: the first track whose decoder opens; sound: the track marked default, else the first
  // whose decoder opens. A sound file's picture (its cover) is shown only when no track is.
  auto tooLarge = [](const AVCodecParameters* c) { return int64_t{c->width} * c->height > kMaxPixels; };
  auto kind = [&](int i, AVMediaType type) {
    const AVStream* st = ic->streams[i];
    bool cover = type == AVMEDIA_TYPE_VIDEO && (st->disposition & AV_DISPOSITION_ATTACHED_PIC);
    return st->codecpar->codec_type == type && !tooLarge(st->codecpar) && !cover;
  };
  int streams = static_cast<int>(ic->nb_streams);
  int threads = decoderThreads_.load();
  for (int i = 0; i < streams && s->videoIndex < 0; ++i)
    if (kind(i, AVMEDIA_TYPE_VIDEO) && (s->video = OpenDecoder(ic->streams[i], true, threads))) {
      s->video->skip_loop_filter = static_cast<AVDiscard>(skipLoopFilter_.load());
      s->videoIndex = i;
    }
  for (int pass = 0; pass < 2 && s->audioIndex < 0; ++pass)
    for (int i = 0; i < streams && s->audioIndex < 0; ++i)
      if (kind(i, AVMEDIA_TYPE_AUDIO) && (pass == !(ic->streams[i]->disposition & AV_DISPOSITION_DEFAULT)) &&
          (s->audio = OpenDecoder(ic->streams[i], false, 0)))
        s->audioIndex = i;
  for (int i = 0; i < streams && s->videoIndex < 0 && s->audioIndex >= 0 && !s->cover; ++i) {
    AVStream* st = ic->streams[i];
    if ((st->disposition & AV_DISPOSITION_ATTACHED_PIC) && st->attached_pic.size > 0 &&
        !tooLarge(st->codecpar) && (s->cover = OpenDecoder(st, false, 0)))
      s->coverPacket = av_packet_clone(&st->attached_pic);
  }
  if (s->videoIndex < 0 && s->audioIndex < 0) return false;  // nothing we can play
  for (int i = 0; i < static_cast<int>(ic->nb_streams); ++i)
    if (i != s->videoIndex && i != s->audioIndex) ic->streams[i]->discard = AVDISCARD_ALL;

  auto m = std::make_unique<Metadata>(Metadata{s->id, NAN, 0, 0});
  if (ic->duration != AV_NOPTS_VALUE && ic->duration > 0) m->duration = ic->duration / double(AV_TIME_BASE);
  s->duration = m->duration;
  if (s->videoIndex >= 0) {
    AVStream* st = ic->streams[s->videoIndex];
    s->videoPackets.timeBase = av_q2d(st->time_base);
    AVRational sar = av_guess_sample_aspect_ratio(ic, st, nullptr);
    m->width = st->codecpar->width;
    m->height = st->codecpar->height;
    if (sar.num > 0 && sar.den > 0 && sar.num != sar.den)
      m->width = static_cast<int>(std::lround(m->width * av_q2d(sar)));
    AVRational rate = av_guess_frame_rate(ic, st, nullptr);
    if (rate.num > 0 && rate.den > 0) s->frameDuration = av_q2d(av_inv_q(rate));
  }
  if (s->audioIndex >= 0) s->audioPackets.timeBase = av_q2d(ic->streams[s->audioIndex]->time_base);
  duration_ = std::isnan(m->duration) ? 0 : m->duration;
  {
    std::lock_guard<SlimMutex> lock(metadataMutex_);
    metadata_ = *m;
  }
  Post(kMsgMetadata, 0, 0);
  return true;
}

void Player::StartWorkers(Session* s) {
  if (s->videoIndex >= 0) {
    s->videoDecoder = std::thread(VideoDecodeThread, s);
    s->videoOutput = std::thread(VideoOutputThread, s);
  }
  if (s->audioIndex >= 0) s->audioWorker = std::thread(AudioThread, s);
  if (s->cover && s->coverPacket) s->coverWorker = std::thread(CoverThread, s);
}

void Player::ReaderThread() {
  HANDLE self = nullptr;
  DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE, DUPLICATE_SAME_ACCESS);
  readerHandle_ = self;
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  std::unique_ptr<Session> s;
  AVPacket* packet = av_packet_alloc();
  int readErrors = 0;  // in a row
  while (!quit_) {
    bool doOpen = false, doClose = false, doSeek = false;
    std::wstring path;
    uint32_t session = 0, serial = 0;
    double target = 0;
    {
      std::unique_lock<SlimMutex> lock(commandMutex_);
      // Resting until a command comes or a decoder takes packets (it tells); the bound is only a
      // safeguard.
      readerResting_ = true;  // before looking: a packet taken after the look is told
      bool idle = !s || s->readEnded || Resting(s.get());
      if (idle && !openPending_ && !closePending_ && !seekPending_)
        commandCv_.wait_for(lock, std::chrono::milliseconds(1000));
      readerResting_ = false;
      doOpen = openPending_;
      doClose = closePending_;
      doSeek = seekPending_;
      path = openPath_;
      session = openSession_;
      serial = seekSerial_;
      target = seekTarget_;
      openPending_ = closePending_ = seekPending_ = false;
      commandWaiting_ = false;
    }
    if (quit_) break;

    if (doOpen || doClose) {
      CloseSession(s);
      open_ = false;
    }
    if (doOpen) {
      s = std::make_unique<Session>();
      ++sessionsOpen;
      s->player = this;
      s->videoPackets.player = s->audioPackets.player = s->frames.player = this;
      s->id = session;
      if (!OpenFile(s, path)) {
        CloseSession(s);
        OpenFailed();
      } else {
        open_ = true;
        doSeek = true;  // the first flush starts the decoders at 0 (or at a seek made meanwhile)
      }
    }
    if (doSeek && s) {
      if (!doOpen || target > 0) {  // a seek may follow the open in the same batch
        int64_t ts = static_cast<int64_t>(std::clamp((target + s->startTime) * AV_TIME_BASE, -9e18, 9e18));
        if (avformat_seek_file(s->format, -1, INT64_MIN, ts, ts, 0) < 0)
          av_seek_frame(s->format, -1, ts, AVSEEK_FLAG_BACKWARD);
      }
      s->videoPackets.Clear();
      s->audioPackets.Clear();
      s->frames.Wake();  // a decoder waiting for room sees its serial went stale
      PacketItem flush{PacketItem::Flush, nullptr, serial, target};
      if (s->videoIndex >= 0) s->videoPackets.Put(flush);
      if (s->audioIndex >= 0) s->audioPackets.Put(flush);
      s->readEnded = false;
      if (doOpen) StartWorkers(s.get());
    }
    if (!s || s->readEnded || Resting(s.get())) continue;
    int r = av_read_frame(s->format, packet);
    if (r < 0) {
      if (r == AVERROR(EAGAIN)) continue;
      // A read error on a file that may still be readable (a network hiccup) is tried again a few
      // times; the end, or an error that persists, ends the file: what was read plays out.
      if (r != AVERROR_EOF && !quit_ && ++readErrors < kReadRetries) {
        if (AVIOContext* pb = s->format->pb) pb->error = 0, pb->eof_reached = 0;
        Sleep(20);
        continue;
      }
      PacketItem end{PacketItem::End, nullptr, serial_, 0};
      if (s->videoIndex >= 0) s->videoPackets.Put(end);
      if (s->audioIndex >= 0) s->audioPackets.Put(end);
      s->readEnded = true;
      continue;
    }
    readErrors = 0;
    if (packet->stream_index == s->videoIndex || packet->stream_index == s->audioIndex) {
      PacketItem item{PacketItem::Packet, av_packet_alloc(), 0, 0};
      av_packet_move_ref(item.packet, packet);
      (item.packet->stream_index == s->videoIndex ? s->videoPackets : s->audioPackets).Put(item);
      long held = s->videoPackets.Count() + s->audioPackets.Count();
      if (held > packetsHeldPeak.load()) packetsHeldPeak = held;
    } else {
      av_packet_unref(packet);
    }
  }
  CloseSession(s);
  av_packet_free(&packet);
  audio_.reset();
  CoUninitialize();
  if (readerState_.exchange(1) == 2) delete this;  // Shutdown gave up waiting for this thread
}
