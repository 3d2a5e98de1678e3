#include "engine_test_support.h"

#include <algorithm>
#include <cmath>

namespace {

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_SIZE) return DefWindowProcW(hwnd, msg, wp, lp);
  if (HWND child = GetWindow(hwnd, GW_CHILD)) MoveWindow(child, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
  return 0;
}

void Tap(void* context, const float* samples, int frames, int channels) {
  auto* t = static_cast<SoundTap*>(context);
  for (const float* f = samples; f < samples + frames * channels; f += channels) {
    for (int c = 0; c < channels; ++c) t->peak = std::max(t->peak.load(), std::fabs(f[c]));
    t->left = std::max(t->left.load(), std::fabs(f[0]));
    if (channels > 1) t->right = std::max(t->right.load(), std::fabs(f[1]));
    t->rises += t->last < 0 && f[0] >= 0;
    t->last = f[0];
  }
  t->frames += frames;
}

}  // namespace

Bytes ReadClip(const wchar_t* clip) {
  std::string bytes = ReadBytes(Clip(clip));
  return {bytes.begin(), bytes.end()};
}

std::wstring WriteClip(const wchar_t* name, const Bytes& bytes) {
  WriteBytes(Clip(name), std::string(bytes.begin(), bytes.end()));
  return Clip(name);
}

Bytes Damaged(const wchar_t* clip, size_t size, size_t garbage, bool scramble) {
  Bytes b = ReadClip(clip);
  for (size_t i = b.size() / 3; scramble && i < b.size(); i += 97) b[i] = uint8_t(b[i] * 31 + 7);
  if (!scramble) b.resize(size ? size : b.size() / 2);
  for (size_t i = 0; i < garbage; ++i) b.push_back(uint8_t(i * 7919 % 251));
  return b;
}

Stage::Stage(int width, int height) {
  [[maybe_unused]] static bool started = [] {
    MediaEngineStartup(GetModuleHandleW(nullptr));
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"EngineTestParent";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    return RegisterClassW(&wc) != 0;
  }();
  SIZE outer = OuterForClient(width, height);
  parent = CreateWindowW(L"EngineTestParent", L"engine test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, outer.cx,
                         outer.cy, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  engine = CreateMediaEngine(parent);
  if (engine && SUCCEEDED(put_Movie(engine, Clip(L"Nimbrel.swf").c_str()))) {
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

COLORREF Stage::Pixel(int x, int y) {
  HDC dc = GetDC(Window());
  COLORREF c = GetPixel(dc, x, y);
  return ReleaseDC(Window(), dc), c;
}
