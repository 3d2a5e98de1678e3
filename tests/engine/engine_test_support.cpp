#include "engine_test_support.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <fstream>
#include <iterator>


namespace {

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SIZE) {
    HWND child = GetWindow(hwnd, GW_CHILD);
    if (child) MoveWindow(child, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void StartOnce() {
  static bool started = false;
  if (started) return;
  started = true;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  MediaEngineStartup(instance);
  WNDCLASSW wc{};
  wc.lpfnWndProc = ParentProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"EngineTestParent";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassW(&wc);
}

}  // namespace

std::wstring MediaPath(const wchar_t* name) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir = exe;
  dir.resize(dir.find_last_of(L"\\/") + 1);
  return dir + L"media\\" + name;
}

void Pump(double seconds) {
  WaitFor([] { return false; }, seconds);
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

long HostInt(const std::wstring& text) { return std::wcstol(text.c_str(), nullptr, 10); }

std::vector<uint8_t> ReadClip(const wchar_t* clip) {
  std::ifstream in(MediaPath(clip).c_str(), std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
}

std::wstring WriteClip(const wchar_t* name, const std::vector<uint8_t>& bytes) {
  std::wstring path = MediaPath(name);
  std::ofstream(path.c_str(), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  return path;
}

std::vector<FlvTag> FlvTags(const std::vector<uint8_t>& f) {
  std::vector<FlvTag> tags;
  auto u24 = [&](size_t at) { return uint32_t{f[at]} << 16 | uint32_t{f[at + 1]} << 8 | f[at + 2]; };
  for (size_t at = 9 + 4; at + 11 <= f.size();) {
    uint32_t size = u24(at + 1);
    if (at + 11 + size > f.size()) break;
    tags.push_back(FlvTag{f[at], u24(at + 4) | uint32_t{f[at + 7]} << 24,
                          std::vector<uint8_t>(f.begin() + at + 11, f.begin() + at + 11 + size)});
    at += 11 + size + 4;
  }
  return tags;
}

std::vector<uint8_t> FlvFile(const std::vector<FlvTag>& tags) {
  std::vector<uint8_t> f = {'F', 'L', 'V', 1, 5, 0, 0, 0, 9, 0, 0, 0, 0};
  auto put = [&](uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) f.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  for (const FlvTag& t : tags) {
    f.push_back(t.type);
    put(static_cast<uint32_t>(t.data.size()), 3);
    put(t.time & 0xFFFFFF, 3);
    f.push_back(static_cast<uint8_t>(t.time >> 24));
    put(0, 3);
    f.insert(f.end(), t.data.begin(), t.data.end());
    put(static_cast<uint32_t>(t.data.size() + 11), 4);
  }
  return f;
}

void SoundTap::Tap(void* context, const float* samples, int frames, int channels) {
  auto* t = static_cast<SoundTap*>(context);
  float m = t->peak.load();
  for (int i = 0; i < frames * channels; ++i) m = std::max(m, std::fabs(samples[i]));
  t->peak.store(m);
  t->frames += frames;
}

Stage::Stage(int width, int height) {
  StartOnce();
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

std::wstring Stage::Get(const wchar_t* name) {
  std::wstring v;
  GetVariable(engine, name, &v);
  return v;
}

double Stage::Number(const wchar_t* name) {
  std::wstring v = Get(name);
  return v.empty() ? NAN : std::wcstod(v.c_str(), nullptr);
}

void Stage::Set(const wchar_t* name, const std::wstring& value) { SetVariable(engine, name, value.c_str()); }

bool Stage::WaitForMetadata(double seconds) {
  return WaitFor([&] { return Number(L"state_duration") > 0; }, seconds);
}

bool Stage::WaitForTime(double time, double seconds) {
  return WaitFor([&] { return Number(L"ns.time") > time; }, seconds);
}

bool Stage::WaitForEnd(double seconds) {
  return WaitFor([&] { return Get(L"state_playstop") == L"1"; }, seconds);
}

COLORREF Stage::Pixel(int x, int y) {
  HDC dc = GetDC(Window());
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(Window(), dc);
  return c;
}

void Stage::Resize(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  SetWindowPos(parent, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  Pump(0.02);
}
