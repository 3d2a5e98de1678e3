#include "engine_test_support.h"

#include <cmath>
#include <cwchar>

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
