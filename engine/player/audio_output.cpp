#include "engine/player/audio_output.h"

#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>
#include <mmreg.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/player/playback.h"

namespace {

constexpr GUID kSubtypeFloat = {0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID kSubtypePcm = {0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

template <class T> void SafeRelease(T*& p) { if (p) { p->Release(); p = nullptr; } }

class WasapiOutput : public AudioOutput {
 public:
  ~WasapiOutput() override {
    if (client_) client_->Stop();
    SafeRelease(clock_); SafeRelease(render_); SafeRelease(client_); SafeRelease(device_);
  }
  bool Open() {
    kind = AudioDevice::Wasapi;
    IMMDeviceEnumerator* e = nullptr;
    if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                __uuidof(IMMDeviceEnumerator), reinterpret_cast<void**>(&e))))
      return false;
    HRESULT hr = e->GetDefaultAudioEndpoint(eRender, eConsole, &device_);
    e->Release();
    if (FAILED(hr)) return false;
    if (FAILED(device_->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr,
                                 reinterpret_cast<void**>(&client_))))
      return false;
    WAVEFORMATEX* mix = nullptr;
    if (FAILED(client_->GetMixFormat(&mix))) return false;
    bool ok = true;
    channelMask = 0;
    if (mix->wFormatTag == WAVE_FORMAT_IEEE_FLOAT && mix->wBitsPerSample == 32) {
      isFloat_ = true;
    } else if (mix->wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
      auto* x = reinterpret_cast<WAVEFORMATEXTENSIBLE*>(mix);
      isFloat_ = IsEqualGUID(x->SubFormat, kSubtypeFloat) && mix->wBitsPerSample == 32;
      ok = isFloat_ || (IsEqualGUID(x->SubFormat, kSubtypePcm) && mix->wBitsPerSample == 16);
      channelMask = x->dwChannelMask;  // the speakers the mixer has, in its order
    } else {
      ok = mix->wFormatTag == WAVE_FORMAT_PCM && mix->wBitsPerSample == 16;
    }
    rate = static_cast<int>(mix->nSamplesPerSec);
    channels = mix->nChannels;
    // 200 ms of buffer: room for scheduling hiccups of the writer.
    ok = ok && SUCCEEDED(client_->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, 2000000, 0, mix, nullptr));
    CoTaskMemFree(mix);
    if (!ok) return false;
    if (FAILED(client_->GetBufferSize(&bufferFrames_)) ||
        FAILED(client_->GetService(__uuidof(IAudioRenderClient), reinterpret_cast<void**>(&render_))) ||
        FAILED(client_->GetService(__uuidof(IAudioClock), reinterpret_cast<void**>(&clock_))) ||
        FAILED(clock_->GetFrequency(&frequency_)) || channels <= 0)
      return false;
    return true;
  }
  // At most 50 ms queued: under Wine a new stream can report its whole queue as not yet heard
  // while the sound server already plays most of it, so each queued sample may be an error of
  // sound ahead of picture (200 ms queued: sound up to 170 ms early; 50 ms: 10 to 17 ms).
  int Writable() override {
    UINT32 padding = 0;
    if (Failed(client_->GetCurrentPadding(&padding))) return 0;
    UINT32 limit = std::min(bufferFrames_, static_cast<UINT32>(rate / 20));
    return padding < limit ? static_cast<int>(limit - padding) : 0;
  }
  void Write(const float* samples, int frames) override {
    BYTE* data = nullptr;
    if (frames <= 0 || Failed(render_->GetBuffer(frames, &data))) return;
    if (isFloat_) {
      std::memcpy(data, samples, sizeof(float) * frames * channels);
    } else {
      auto* out = reinterpret_cast<int16_t*>(data);
      for (int i = 0; i < frames * channels; ++i)
        out[i] = static_cast<int16_t>(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f);
    }
    render_->ReleaseBuffer(frames, 0);
    written_ += frames;
    if (!started_ && !paused_) { client_->Start(); started_ = true; }
  }
  double Delay() override {
    UINT64 position = 0;
    if (Failed(clock_->GetPosition(&position, nullptr)) || frequency_ == 0) return 0;
    double played = static_cast<double>(position) / static_cast<double>(frequency_);
    return std::max(0.0, static_cast<double>(written_) / rate - played);
  }
  void SetPaused(bool paused) override {
    if (paused == paused_) return;
    paused_ = paused;
    if (paused) { client_->Stop(); started_ = false; }
    else if (written_ > 0) { client_->Start(); started_ = true; }
  }
  void Flush() override {
    client_->Stop();
    client_->Reset();
    started_ = paused_ = false;  // the next write starts it
    // After Reset the device position restarts from 0.
    written_ = 0;
  }

 private:
  bool Failed(HRESULT hr) {
    if (hr == AUDCLNT_E_DEVICE_INVALIDATED || hr == AUDCLNT_E_SERVICE_NOT_RUNNING) lost = true;
    return FAILED(hr) || lost;
  }
  IMMDevice* device_ = nullptr;
  IAudioClient* client_ = nullptr;
  IAudioRenderClient* render_ = nullptr;
  IAudioClock* clock_ = nullptr;
  UINT32 bufferFrames_ = 0;
  UINT64 frequency_ = 0;
  uint64_t written_ = 0;
  bool isFloat_ = false, started_ = false, paused_ = false;
};

class WaveOutput : public AudioOutput {
 public:
  static constexpr int kBlocks = 8, kBlockFrames = 1024;
  ~WaveOutput() override {
    if (wave_) {
      waveOutReset(wave_);
      for (auto& h : headers_) waveOutUnprepareHeader(wave_, &h, sizeof(h));
      waveOutClose(wave_);
    }
  }
  bool Open() {
    kind = AudioDevice::WaveOut;
    rate = 44100;
    channels = 2;
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = 2;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = 4;
    f.nAvgBytesPerSec = rate * 4;
    if (waveOutOpen(&wave_, WAVE_MAPPER, &f, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
      wave_ = nullptr;
      return false;
    }
    for (int i = 0; i < kBlocks; ++i) {
      data_[i].resize(kBlockFrames * 2);
      headers_[i] = WAVEHDR{};
      headers_[i].lpData = reinterpret_cast<LPSTR>(data_[i].data());
      headers_[i].dwBufferLength = kBlockFrames * 4;
      waveOutPrepareHeader(wave_, &headers_[i], sizeof(WAVEHDR));
      headers_[i].dwFlags |= WHDR_DONE;
    }
    return true;
  }
  int Writable() override {
    if (lost) return 0;
    int free = 0;
    for (auto& h : headers_) free += (h.dwFlags & WHDR_DONE) ? 1 : 0;
    Watch(free < kBlocks);
    return lost ? 0 : free * kBlockFrames;
  }
  void Write(const float* samples, int frames) override {
    while (frames > 0) {
      WAVEHDR* h = nullptr;
      for (auto& c : headers_) if (c.dwFlags & WHDR_DONE) { h = &c; break; }
      if (!h) return;
      int n = std::min(frames, kBlockFrames);
      auto* out = reinterpret_cast<int16_t*>(h->lpData);
      for (int i = 0; i < n * 2; ++i)
        out[i] = static_cast<int16_t>(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f);
      h->dwBufferLength = n * 4;
      h->dwFlags &= ~WHDR_DONE;
      if (waveOutWrite(wave_, h, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        h->dwFlags |= WHDR_DONE;
        lost = true;
        return;
      }
      written_ += n;
      samples += n * 2;
      frames -= n;
    }
  }
  double Delay() override {
    MMTIME t{};
    t.wType = TIME_SAMPLES;
    if (waveOutGetPosition(wave_, &t, sizeof(t)) != MMSYSERR_NOERROR || t.wType != TIME_SAMPLES) return 0;
    return std::max(0.0, static_cast<double>(written_ - base_ - t.u.sample) / rate);
  }
  void SetPaused(bool paused) override {
    paused_ = paused;
    paused ? waveOutPause(wave_) : waveOutRestart(wave_);
  }
  void Flush() override {
    waveOutReset(wave_);  // returns every block and sets the position back to 0
    waveOutRestart(wave_);  // and out of a pause
    written_ = 0;
    base_ = 0;
    paused_ = false;
  }

 private:
  // waveOut reports no loss: a device whose sound server went away keeps the blocks it was given
  // and its position stands still. Blocks queued, not paused, and no progress for kStall: lost.
  static constexpr double kStall = 1.0;
  void Watch(bool queued) {
    MMTIME t{};
    t.wType = TIME_SAMPLES;
    if (!queued || paused_) {
      stillSince_ = 0;
    } else if (waveOutGetPosition(wave_, &t, sizeof(t)) != MMSYSERR_NOERROR) {
      lost = true;
    } else if (t.u.sample != position_ || !stillSince_) {
      position_ = t.u.sample;
      stillSince_ = QpcNow();
    } else if (QpcSeconds(QpcNow() - stillSince_) > kStall) {
      lost = true;
    }
  }
  int64_t stillSince_ = 0;
  DWORD position_ = 0;
  bool paused_ = false;
  HWAVEOUT wave_ = nullptr;
  WAVEHDR headers_[kBlocks];
  std::vector<int16_t> data_[kBlocks];
  uint64_t written_ = 0, base_ = 0;
};

// No device: samples are taken at real-time pace and dropped.
class SilentOutput : public AudioOutput {
 public:
  SilentOutput() { rate = 48000; channels = 2; }
  int Writable() override {
    Advance();
    return lost ? 0 : std::max(0, static_cast<int>(kBuffer * rate) - queued_);
  }
  void Write(const float*, int frames) override { Advance(); queued_ += frames; }
  double Delay() override { Advance(); return static_cast<double>(queued_) / rate; }
  void SetPaused(bool paused) override { Advance(); paused_ = paused; }
  void Flush() override { queued_ = 0; last_ = QpcNow(); paused_ = false; }
  bool Silent() const override { return true; }

 private:
  static constexpr double kBuffer = 0.1;
  void Advance() {
    int64_t now = QpcNow();
    if (last_ != 0 && !paused_) {
      carry_ += QpcSeconds(now - last_) * rate;
      int played = static_cast<int>(carry_);
      carry_ -= played;
      queued_ = std::max(0, queued_ - played);
      if (queued_ == 0) carry_ = 0;
    }
    last_ = now;
  }
  int queued_ = 0;
  int64_t last_ = 0;
  double carry_ = 0;
  bool paused_ = false;
};

}  // namespace

std::unique_ptr<AudioOutput> OpenAudioOutput(AudioDevice device) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (device == AudioDevice::Best || device == AudioDevice::Wasapi) {
    auto w = std::make_unique<WasapiOutput>();
    if (w->Open()) return w;
  }
  if (device == AudioDevice::Best || device == AudioDevice::WaveOut) {
    auto w = std::make_unique<WaveOutput>();
    if (w->Open()) return w;
  }
  return std::make_unique<SilentOutput>();
}
