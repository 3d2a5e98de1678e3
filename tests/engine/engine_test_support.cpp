#include "engine_test_support.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace {

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_SIZE) return DefWindowProcW(hwnd, msg, wp, lp);
  if (HWND child = GetWindow(hwnd, GW_CHILD)) MoveWindow(child, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
  return 0;
}

void Tap(void* context, const float* samples, int frames, int channels) {
  auto* t = static_cast<SoundTap*>(context);
  float m = t->peak.load();
  for (int i = 0; i < frames * channels; ++i) m = std::max(m, std::fabs(samples[i]));
  t->peak.store(m);
  t->frames += frames;
}

}  // namespace

std::wstring MediaPath(const wchar_t* name) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir = exe;
  return dir.substr(0, dir.find_last_of(L"\\/") + 1) + L"media\\" + name;
}

Bytes ReadClip(const wchar_t* clip) {
  std::ifstream in(MediaPath(clip).c_str(), std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), {});
}

std::wstring WriteClip(const wchar_t* name, const Bytes& bytes) {
  std::wstring path = MediaPath(name);
  std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

bool WaitFor(const std::function<bool()>& condition, double seconds) {
  ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
  for (;;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
  }
}

Stage::Stage(int width, int height) {
  static bool started = [] {
    MediaEngineStartup(GetModuleHandleW(nullptr));
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"EngineTestParent";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return RegisterClassW(&wc) != 0;
  }();
  (void)started;
  RECT r{0, 0, width, height};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  parent = CreateWindowW(L"EngineTestParent", L"engine test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                         r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  engine = CreateMediaEngine(parent);
  if (engine && SUCCEEDED(put_Movie(engine, MediaPath(L"Nimbrel.swf").c_str()))) {
    put_Menu(engine, FALSE);
    Play(engine);
  }
  Pump(0.05);
}

Stage::~Stage() {
  if (engine) Release(engine);
  if (parent) DestroyWindow(parent);
  Pump(0.01);
}

void Stage::Listen() { MediaEngineSetAudioTap(engine, &Tap, &tap); }

double Stage::Number(const wchar_t* name) {
  std::wstring v = Get(name);
  return v.empty() ? NAN : std::wcstod(v.c_str(), nullptr);
}

COLORREF Stage::Pixel(int x, int y) {
  HDC dc = GetDC(Window());
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(Window(), dc);
  return c;
}
