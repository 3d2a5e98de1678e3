// The queues between an open file's threads, and the marks its picture and sound show each other.
#include "engine/player/session.h"

// ---- packets ----

void PacketQueue::Put(PacketItem item) {
  {
    std::lock_guard<std::mutex> lock(m_);
    if (item.packet) {
      bytes_ += item.packet->size;
      ++count_;
      duration_ += item.packet->duration * timeBase;
    }
    items_.push_back(item);
  }
  cv_.notify_one();
}

bool PacketQueue::Get(PacketItem* item, const std::atomic<bool>& abort, int timeoutMs) {
  std::unique_lock<std::mutex> lock(m_);
  if (items_.empty())
    cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !items_.empty() || abort.load(); });
  if (items_.empty() || abort.load()) return false;
  *item = items_.front();
  items_.pop_front();
  if (item->packet) {
    bytes_ -= item->packet->size;
    --count_;
    duration_ -= item->packet->duration * timeBase;
  }
  bool low = !EnoughLocked();
  lock.unlock();
  if (low && player) player->QueueDrained();
  return true;
}

void PacketQueue::Clear() {
  std::lock_guard<std::mutex> lock(m_);
  for (auto& i : items_) av_packet_free(&i.packet);
  items_.clear();
  bytes_ = 0;
  count_ = 0;
  duration_ = 0;
}

bool PacketQueue::Enough() const {
  std::lock_guard<std::mutex> lock(m_);
  return EnoughLocked();
}

bool PacketQueue::EnoughLocked() const { return (count_ > 25 && duration_ > 1.0) || count_ > 400; }

bool PacketQueue::Over() const {
  std::lock_guard<std::mutex> lock(m_);
  return count_ > 2000 || duration_ > 30.0;
}

// ---- frames ----

bool FrameQueue::Put(FrameItem item, const std::atomic<bool>& abort, const std::atomic<uint32_t>& serial) {
  {
    std::unique_lock<std::mutex> lock(m_);
    auto frames = [&] {
      size_t n = 0;
      for (auto& i : items_) n += i.frame ? 1 : 0;
      return n;
    };
    // Woken by a taker, a clear, or the reader at a seek or close; the bound is only a safeguard.
    while (item.frame && frames() >= kCapacity) {
      if (abort.load() || serial.load() != item.serial) return false;
      cv_.wait_for(lock, std::chrono::milliseconds(1000));
    }
    items_.push_back(item);
  }
  if (player && awaited.exchange(false)) player->Notify();
  return true;
}

bool FrameQueue::Peek(FrameItem* item) {
  std::lock_guard<std::mutex> lock(m_);
  if (items_.empty()) return false;
  *item = items_.front();
  return true;
}

FrameItem FrameQueue::Take() {
  std::lock_guard<std::mutex> lock(m_);
  if (items_.empty()) return FrameItem{};
  FrameItem item = items_.front();
  items_.pop_front();
  cv_.notify_all();
  return item;
}

void FrameQueue::Pop() {
  FrameItem item = Take();
  av_frame_free(&item.frame);
}

size_t FrameQueue::Size() {
  std::lock_guard<std::mutex> lock(m_);
  return items_.size();
}

void FrameQueue::Clear() {
  std::lock_guard<std::mutex> lock(m_);
  for (auto& i : items_) av_frame_free(&i.frame);
  items_.clear();
  cv_.notify_all();
}

// ---- marks ----

namespace {

bool Moved(double from, double to) { return !(from == to) && !(std::isnan(from) && std::isnan(to)); }

}  // namespace

void Session::SetMark(Stream which, uint32_t serial, const StreamMark& mark) {
  bool news;
  {
    std::lock_guard<SlimMutex> lock(marksMutex_);
    marks_[static_cast<int>(which)] = mark;
    markSerials_[static_cast<int>(which)] = serial;
    news = judging_ > 0;
  }
  if (news) player->Notify();
}

// A mark of another serial is not news of this one: the other stream is still on its way here.
StreamMark Session::OtherMark(Stream which, uint32_t serial) {
  Stream other = which == Stream::Picture ? Stream::Sound : Stream::Picture;
  bool exists = other == Stream::Picture ? videoIndex >= 0 && !videoGivenUp : audioIndex >= 0;
  std::lock_guard<SlimMutex> lock(marksMutex_);
  if (markSerials_[static_cast<int>(other)] != serial) {
    StreamMark unknown;
    unknown.live = exists;
    return unknown;
  }
  StreamMark m = marks_[static_cast<int>(other)];
  m.live = m.live && exists;
  return m;
}

Jump Session::Judge(Stream which, uint32_t serial, const StreamTimeline& t, double stamp, StreamMark* mine,
                    StreamMark* other) {
  *other = OtherMark(which, serial);
  Jump verdict = JudgeStamp(t, stamp, *other, player->clock_.Now(), false);
  if (verdict != Jump::Wait) return verdict;
  // Offer this jump to the other stream (it may reach the same splice) and wait to hear.
  ProposeJump(mine, t, stamp);
  SetMark(which, serial, *mine);
  {
    std::lock_guard<SlimMutex> lock(marksMutex_);
    ++judging_;
  }
  double seenAt = other->at, seenNow = player->clock_.Now();
  int64_t progressAt = QpcNow();
  uint64_t news = player->News();
  while (verdict == Jump::Wait && !abort && player->serial_ == serial) {
    // Paused, nothing moves and nothing is due: wait for the pause to end, not in steps.
    bool paused = player->paused_.load();
    news = player->WaitNews(news, paused ? kWaitBound : 0.02);
    *other = OtherMark(which, serial);
    double now = player->clock_.Now();
    if (paused || Moved(seenAt, other->at) || Moved(seenNow, now)) progressAt = QpcNow();
    seenAt = other->at;
    seenNow = now;
    verdict = JudgeStamp(t, stamp, *other, now, QpcSeconds(QpcNow() - progressAt) > kWaitBound);
  }
  std::lock_guard<SlimMutex> lock(marksMutex_);
  --judging_;
  return verdict == Jump::Wait ? Jump::Anchor : verdict;  // abandoned: the frame is stale anyway
}

double Session::Place(Stream which, uint32_t serial, StreamTimeline* t, double stamp, double duration,
                      StreamMark* mine) {
  StreamMark other;
  Jump verdict = Judge(which, serial, *t, stamp, mine, &other);
  double from = t->next;
  double pts = PlaceFrame(t, stamp, duration, verdict, other);
  if (verdict != Jump::None) mine->jumpFrom = from, mine->jumpTo = stamp, mine->jumpOffset = t->offset;
  mine->at = t->next;
  return pts;
}
