// The engine as its host sees it: the player movie's root variables and their watch handlers,
// the metadata and status handlers, the fit of the picture, and the window that shows it.
// Everything here runs on the user interface thread; the pipeline (playback.h) posts its news.
#include "engine/player/media_engine.h"

#include <cmath>
#include <map>
#include <string_view>
#include <memory>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include "engine/player/movie_file.h"
#include "engine/player/movie_values.h"
#include "engine/player/picture_flags.h"
#include "engine/player/playback.h"

namespace {

constexpr wchar_t kClassName[] = L"NimbrelMediaEngine";
constexpr long kVersion = (1 << 16) | 0;  // 1.0
const wchar_t* const kQualityNames[] = {L"LOW", L"MEDIUM", L"HIGH", L"BEST"};

struct EngineModule {
  HINSTANCE instance = nullptr;
  bool started = false;
} module;

}  // namespace

struct MediaEngine {
  HWND window = nullptr;
  MovieFile movie;
  bool movieLoaded = false, playing = false;
  BOOL menu = TRUE;
  std::mutex varsMutex;  // the host has one thread; kept safe for any caller
  std::map<std::wstring, std::wstring, std::less<>> vars;  // looked up by view: no allocation
  using Handler = void (*)(MediaEngine*, const std::wstring&);
  std::map<std::wstring, Handler> watches;
  // The video object and movie settings the handlers set.
  bool visible = true, smoothing = false;
  int deblocking = 1, quality = 0;
  FitRect fit{0, 0, 0, 0};
  RECT painted{};  // where the picture was last drawn with the black around it
  int stageWidth = 0, stageHeight = 0;
  uint32_t session = 0;
  std::unique_ptr<Player> player;

  std::wstring Get(const std::wstring& name) {
    std::lock_guard<std::mutex> lock(varsMutex);
    auto it = vars.find(name);
    return it == vars.end() ? std::wstring() : it->second;
  }
  // Into the caller's string, whose buffer is reused: the host asks every tick, and an
  // allocation can wait on the heap lock while a decoder thread holds it.
  void CopyTo(std::wstring_view name, std::wstring* value) {
    std::lock_guard<std::mutex> lock(varsMutex);
    auto it = vars.find(name);
    if (it == vars.end())
      value->clear();
    else
      value->assign(it->second);
  }
  void Put(const std::wstring& name, const std::wstring& value) {
    std::lock_guard<std::mutex> lock(varsMutex);
    vars[name] = value;
  }
  double Number(const std::wstring& name) { return TextToNumber(Get(name)); }
};

namespace {

void Fit(MediaEngine* e) {
  e->fit = FitPicture(e->stageWidth, e->stageHeight, e->Number(L"state_asp"));
  e->player->SetPictureSize(static_cast<int>(std::lround(e->fit.width)),
                            static_cast<int>(std::lround(e->fit.height)));
  InvalidateRect(e->window, nullptr, FALSE);
}

void ApplyScaler(MediaEngine* e) { e->player->SetScaler(ScalerFlags(e->smoothing, e->quality)); }

// ---- watch handlers: each gets the new value; the caller stores it afterwards ----

void OnPlayData(MediaEngine* e, const std::wstring& v) {
  e->player->Open(v, ++e->session);  // closes what plays, then opens the path
  e->visible = true;
  InvalidateRect(e->window, nullptr, FALSE);
}

void OnPauseData(MediaEngine* e, const std::wstring& v) { e->player->SetPaused(!TextEquals(v, 0)); }

void OnStopData(MediaEngine* e, const std::wstring&) {
  e->visible = false;
  e->player->Close();
  InvalidateRect(e->window, nullptr, FALSE);
}

void OnSeekData(MediaEngine* e, const std::wstring& v) { e->player->Seek(TextToNumber(v)); }

void OnAspectData(MediaEngine* e, const std::wstring& v) {
  if (TextEquals(v, 0)) {
    e->Put(L"state_asp_width", e->Get(L"state_width"));
    e->Put(L"state_asp_height", e->Get(L"state_height"));
  } else {
    double n = ParseIntText(v);
    double width = std::isnan(n) ? 0 : std::trunc(n / 1000);
    e->Put(L"state_asp_width", NumberToText(width));
    e->Put(L"state_asp_height", NumberToText(std::fmod(n, 1000)));
  }
  e->Put(L"state_asp", NumberToText(e->Number(L"state_asp_height") / e->Number(L"state_asp_width")));
  Fit(e);
}

void OnSmoothingData(MediaEngine* e, const std::wstring& v) {
  e->smoothing = !TextEquals(v, 0);
  ApplyScaler(e);
}

void OnDeblockingData(MediaEngine* e, const std::wstring& v) {
  e->deblocking = DeblockingLevel(TextToNumber(v));
  e->player->SetSkipLoopFilter(SkipLoopFilterFor(e->deblocking));
}

void OnQualityData(MediaEngine* e, const std::wstring& v) {
  double n = TextToNumber(v);
  for (int q = 0; q < 4; ++q)
    if (n == q) e->quality = q;
  ApplyScaler(e);
}

void OnVolumeData(MediaEngine* e, const std::wstring& v) {
  double n = TextToNumber(v);
  if (!std::isnan(n)) e->player->SetVolume(std::clamp(n, 0.0, 100.0) / 100.0);
}

// ---- the stream's handlers ----

void OnMetadata(MediaEngine* e, const Metadata& m) {
  e->Put(L"state_duration", std::isnan(m.duration) ? L"" : NumberToText(m.duration));
  e->Put(L"state_width", m.width > 0 ? NumberToText(m.width) : L"");
  e->Put(L"state_height", m.height > 0 ? NumberToText(m.height) : L"");
  if (TextEquals(e->Get(L"state_aspect"), 0)) {
    e->Put(L"state_asp_width", e->Get(L"state_width"));
    e->Put(L"state_asp_height", e->Get(L"state_height"));
    e->Put(L"state_asp", NumberToText(e->Number(L"state_asp_height") / e->Number(L"state_asp_width")));
  }
  Fit(e);
}

void OnStatus(MediaEngine* e, Status code) {
  if (code == Status::PlayStop) e->Put(L"state_playstop", L"1");
  if (code == Status::SeekNotify) e->Put(L"state_playstop", L"0");
}

// ---- the window ----

// Draws the newest picture; the black around it only when the window asks for all of it or the
// picture has moved (a new picture in the same place covers the old one).
void PaintStage(MediaEngine* e, HDC dc, bool whole) {
  RECT client;
  GetClientRect(e->window, &client);
  HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const Picture& p = e->player->TakePicture();
  if (!e->visible || p.session != e->session || p.bits.empty()) {
    FillRect(dc, &client, black);
    e->painted = RECT{};
    return;
  }
  // Centred on the fitted rectangle (the picture may be a frame behind a resize).
  int x = static_cast<int>(std::lround(e->fit.x + (e->fit.width - p.width) / 2));
  int y = static_cast<int>(std::lround(e->fit.y + (e->fit.height - p.height) / 2));
  RECT at{x, y, x + p.width, y + p.height};
  if (whole || !EqualRect(&at, &e->painted)) {
    int saved = SaveDC(dc);
    ExcludeClipRect(dc, x, y, x + p.width, y + p.height);
    FillRect(dc, &client, black);
    RestoreDC(dc, saved);
    e->painted = at;
  }
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = p.width;
  bmi.bmiHeader.biHeight = -p.height;  // top-down
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, x, y, p.width, p.height, 0, 0, 0, p.height, p.bits.data(), &bmi, DIB_RGB_COLORS);
}

LRESULT CALLBACK EngineWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* e = reinterpret_cast<MediaEngine*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!e || !e->player) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_SIZE:
      e->stageWidth = LOWORD(lp);
      e->stageHeight = HIWORD(lp);
      if (e->playing) Fit(e);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintStage(e, dc, true);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case kMsgPresent: {
      e->player->PresentHandled();
      ++e->player->framesPainted;
      HDC dc = GetDC(hwnd);
      PaintStage(e, dc, false);
      ReleaseDC(hwnd, dc);
      return 0;
    }
    case kMsgMetadata: {
      Metadata m = e->player->TakeMetadata();
      if (m.session == e->session && e->playing) OnMetadata(e, m);
      return 0;
    }
    case kMsgStatus:
      if (static_cast<uint32_t>(lp) == e->player->Serial() && e->playing) OnStatus(e, static_cast<Status>(wp));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

HRESULT MediaEngineStartup(HINSTANCE instance) {
  if (module.started) return S_OK;
  av_log_set_level(AV_LOG_QUIET);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = EngineWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc)) return HRESULT_FROM_WIN32(GetLastError());
  timeBeginPeriod(1);  // millisecond sleeps for the frame timing
  module.instance = instance;
  module.started = true;
  return S_OK;
}

void MediaEngineShutdown() {
  if (!module.started) return;
  UnregisterClassW(kClassName, module.instance);
  timeEndPeriod(1);
  module.started = false;
}

MediaEngine* CreateMediaEngine(HWND parent) {
  if (!module.started || !IsWindow(parent)) return nullptr;
  auto* e = new MediaEngine;
  RECT rc;
  GetClientRect(parent, &rc);
  e->window = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                              rc.right, rc.bottom, parent, nullptr, module.instance, e);
  if (!e->window) {
    delete e;
    return nullptr;
  }
  SetWindowPos(e->window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  e->stageWidth = rc.right;
  e->stageHeight = rc.bottom;
  e->player = std::make_unique<Player>(e->window);
  e->player->SetScaler(ScalerFlags(false, 0));
  e->player->SetSkipLoopFilter(SkipLoopFilterFor(e->deblocking));
  return e;
}

HRESULT put_Movie(MediaEngine* e, const wchar_t* path) {
  if (!e) return E_POINTER;
  MovieFile movie;
  if (!LoadMovieFile(path, &movie)) return E_FAIL;
  e->movie = movie;
  e->movieLoaded = true;
  return S_OK;
}

HRESULT put_Menu(MediaEngine* e, BOOL show) {
  if (!e) return E_POINTER;
  e->menu = show;
  return S_OK;
}

HRESULT Play(MediaEngine* e) {
  if (!e) return E_POINTER;
  if (!e->movieLoaded) return E_UNEXPECTED;
  if (e->playing) return S_OK;
  // The frame: settings of the video object, the declarations, the fit, then the watches.
  e->smoothing = false;
  e->deblocking = 1;
  e->quality = 0;
  ApplyScaler(e);
  e->player->SetSkipLoopFilter(SkipLoopFilterFor(e->deblocking));
  for (const auto& [name, value] : e->movie.variables) e->Put(name, value);
  e->playing = true;
  Fit(e);
  e->watches = {
      {L"state_file", OnPlayData},           {L"state_pause", OnPauseData},
      {L"state_stop", OnStopData},           {L"state_seek", OnSeekData},
      {L"state_aspect", OnAspectData},       {L"state_smoothing", OnSmoothingData},
      {L"state_deblocking", OnDeblockingData}, {L"state_quality", OnQualityData},
      {L"state_volume", OnVolumeData},
  };
  return S_OK;
}

HRESULT EngineVersion(MediaEngine* e, long* version) {
  if (!e || !version) return E_POINTER;
  *version = kVersion;
  return S_OK;
}

std::wstring MediaLibraryVersions() {
  const std::pair<const wchar_t*, unsigned> libs[] = {
      {L"avformat ", avformat_version()}, {L", avcodec ", avcodec_version()}, {L", avutil ", avutil_version()}};
  std::wstring text;
  for (auto [name, v] : libs)
    text += name + std::to_wstring(v >> 16) + L'.' + std::to_wstring(v >> 8 & 255) + L'.' + std::to_wstring(v & 255);
  return text;
}

HRESULT SetVariable(MediaEngine* e, const wchar_t* name, const wchar_t* value) {
  if (!e || !name) return E_POINTER;
  std::wstring v = value ? value : L"";
  auto it = e->watches.find(name);
  if (it != e->watches.end()) it->second(e, v);  // on every assignment, same value or not
  e->Put(name, v);
  return S_OK;
}

HRESULT GetVariable(MediaEngine* e, const wchar_t* name, std::wstring* value) {
  if (!e || !name || !value) return E_POINTER;
  std::wstring_view n = name;
  if (n == L"ns.time") {
    *value = e->playing ? NumberToText(std::round(e->player->Time() * 1000) / 1000) : L"";
  } else if (n == L"imovie._x") {
    *value = NumberToText(e->fit.x);
  } else if (n == L"imovie._y") {
    *value = NumberToText(e->fit.y);
  } else if (n == L"imovie._width") {
    *value = NumberToText(e->fit.width);
  } else if (n == L"imovie._height") {
    *value = NumberToText(e->fit.height);
  } else if (n == L"imovie._visible") {
    *value = e->visible ? L"true" : L"false";
  } else if (n == L"imovie.smoothing") {
    *value = e->smoothing ? L"true" : L"false";
  } else if (n == L"imovie.deblocking") {
    *value = NumberToText(e->deblocking);
  } else if (n == L"_quality") {
    *value = kQualityNames[e->quality];
  } else {
    e->CopyTo(n, value);
  }
  return S_OK;
}

HRESULT Stop(MediaEngine* e) {
  if (!e) return E_POINTER;
  e->visible = false;
  e->player->Close();
  InvalidateRect(e->window, nullptr, FALSE);
  return S_OK;
}

void Release(MediaEngine* e) {
  if (!e) return;
  // Stops every thread (a reader stuck in a read it cannot leave is not waited for past a
  // second: it ends on its own). Messages still queued for the window carry no data, so they are left
  // alone (draining them with a filtered PeekMessage would also take the host's WM_QUIT).
  Player::Shutdown(std::move(e->player));
  DestroyWindow(e->window);
  delete e;
}

#ifdef NIMBREL_ENGINE_PROBE
#include "engine/player/media_engine_probe.h"

void MediaEngineSetAudioTap(MediaEngine* e, MediaEngineAudioTap tap, void* context) {
  e->player->tap_.store(tap ? std::make_shared<const AudioTapBinding>(AudioTapBinding{tap, context}) : nullptr);
}

MediaEngineCounters MediaEngineGetCounters(MediaEngine* e) {
  Player& p = *e->player;
  return MediaEngineCounters{p.framesShown.load(), p.framesDropped.load(), p.framesPainted.load(),
                             p.packetsHeldPeak.load(), p.audioOpens.load(), p.openedDevice_.load(),
                             p.shownTime_.load(), p.PictureBytes(), p.sessionsOpen.load(),
                             p.pictureGiveUps.load(), p.lateCount_.load(), p.lateSum_.load(), p.lateMax_.load()};
}

void MediaEngineSetUnpaced(MediaEngine* e, bool unpaced) { e->player->unpaced = unpaced; }

void MediaEngineUseAudioDevice(MediaEngine* e, int device) {
  e->player->audioDevice_ = static_cast<AudioDevice>(std::clamp(device, 0, 3));
}

void MediaEngineSetAudioDeviceGone(MediaEngine* e, bool gone) { e->player->deviceGone_ = gone; }


void MediaEngineSetDecoderThreads(MediaEngine* e, int threads) { e->player->decoderThreads_ = threads; }
#endif
