// One open media file inside the pipeline: its demuxer, decoders, queues and threads.
// Shared by the reader (playback.cpp), video (video_output.cpp) and audio (audio_thread.cpp).
#pragma once
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "engine/player/playback.h"
#include "engine/player/slim_lock.h"
#include "engine/player/timeline.h"

struct PacketItem {
  enum Kind { Packet, Flush, End } kind = Packet;
  AVPacket* packet = nullptr;
  uint32_t serial = 0;
  double target = 0;  // for Flush: the position to decode up to
};

class PacketQueue {
 public:
  ~PacketQueue() { Clear(); }
  void Put(PacketItem item);
  // Waits up to timeoutMs for an item; false when none (or on abort). Taking one may let a
  // resting reader go on: it is told.
  bool Get(PacketItem* item, const std::atomic<bool>& abort, int timeoutMs);
  void Clear();
  void Wake() { cv_.notify_all(); }
  bool Enough() const;  // holds enough for the reader to rest
  bool Over() const;    // holds so much that the reader rests whatever the other queue holds
  // Memory held: payload plus what each packet costs beyond it, so tiny packets count too.
  int64_t Cost() const { return bytes_.load() + int64_t{count_.load()} * kPacketCost; }
  int Count() const { return count_.load(); }
  double timeBase = 0;
  Player* player = nullptr;  // whose reader rests on this queue
  static constexpr int kPacketCost = 512;

 private:
  bool EnoughLocked() const;
  mutable std::mutex m_;
  std::condition_variable cv_;
  std::deque<PacketItem> items_;
  std::atomic<int64_t> bytes_{0};
  std::atomic<int> count_{0};
  double duration_ = 0;
};

struct FrameItem {
  AVFrame* frame = nullptr;  // null for the end marker
  double pts = 0, duration = 0, target = 0;
  uint32_t serial = 0;
};

class FrameQueue {
 public:
  static constexpr size_t kCapacity = 3;
  ~FrameQueue() { Clear(); }
  // Waits for room; false (item not taken) on abort or when the serial went stale. An item put
  // while the taker waits is the player's news (the output thread waits on that).
  bool Put(FrameItem item, const std::atomic<bool>& abort, const std::atomic<uint32_t>& serial);
  bool Peek(FrameItem* item);  // the front item without waiting; false when empty
  FrameItem Take();  // the front item, now the caller's (its frame to free)
  void Pop();   // frees the front item
  size_t Size();
  void Clear();
  void Wake() { cv_.notify_all(); }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::deque<FrameItem> items_;

 public:
  Player* player = nullptr;
  std::atomic<bool> awaited{false};  // the taker waits for a picture: the next one put is news
};

enum class Stream { Picture, Sound };

struct Session {
  Player* player = nullptr;
  uint32_t id = 0;
  AVFormatContext* format = nullptr;
  int videoIndex = -1, audioIndex = -1;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVCodecContext* cover = nullptr;  // a sound file's picture, decoded once from coverPacket
  AVPacket* coverPacket = nullptr;
  double startTime = 0;  // seconds subtracted from every timestamp
  double duration = NAN;  // the container's, when it knows it
  double frameDuration = 0.04;
  PacketQueue videoPackets, audioPackets;
  FrameQueue frames;
  std::atomic<bool> abort{false};
  bool readEnded = false;
  std::atomic<uint32_t> videoDone{0}, audioDone{0};  // serial whose stream has played out
  std::atomic<bool> videoGivenUp{false};  // the video decoded nothing: sound plays alone
  std::atomic<bool> videoBehind{false};   // the picture is far behind: skip what can be skipped
  // Progress of each decoder (packets sent, frames received), for bounding waits on it.
  std::atomic<long> videoFed{0}, videoOut{0}, audioOut{0};
  std::thread videoDecoder, videoOutput, audioWorker, coverWorker;

  double Seconds(int64_t ts, AVRational tb) const {
    return ts == AV_NOPTS_VALUE ? NAN : ts * av_q2d(tb) - startTime;
  }

  // Each stream's mark for the other (timeline.h), of the serial it was made for.
  void SetMark(Stream which, uint32_t serial, const StreamMark& mark);
  // How a stamp fits its stream (JudgeStamp), waiting as long as the verdict is to wait: until the
  // other stream shows, the clock passes the point, or kWaitBound passes without progress.
  // *other: the other's mark the verdict was made on.
  Jump Judge(Stream which, uint32_t serial, const StreamTimeline& t, double stamp, StreamMark* mine,
             StreamMark* other);
  // A decoded frame's presentation time: judged, placed on t (PlaceFrame), a jump noted in *mine.
  double Place(Stream which, uint32_t serial, StreamTimeline* t, double stamp, double duration, StreamMark* mine);

 private:
  StreamMark OtherMark(Stream which, uint32_t serial);
  SlimMutex marksMutex_;
  StreamMark marks_[2];
  uint32_t markSerials_[2] = {0, 0};
  int judging_ = 0;  // threads waiting on a mark: a new mark is news
};

// The largest picture a decoder may allocate: 8192 x 4352 (8K UHD and DCI 8K fit).
constexpr int64_t kMaxPixels = int64_t{8192} * 4352;

struct PictureConverter;
// f converted and scaled to width x height into *into, for the window; false when it cannot be.
bool ConvertInto(PictureConverter* converter, const AVFrame* f, int width, int height, int flags, uint32_t session,
                 Picture* into);

void VideoDecodeThread(Session* s);
void VideoOutputThread(Session* s);
void AudioThread(Session* s);
void CoverThread(Session* s);
