// What tools/soak.py samples of a running program: private memory, kernel handles, GDI objects
// (and the bitmaps among them) and USER objects of every process of the given exe name:
//   pid private_kb handles gdi_objects bitmaps user_objects     (one line per process)
//   process_counts.exe NAME
// With --handles it lists the kernel handles instead, one per line: pid, type, name.
// With --watch it stays and answers each line read with those lines followed by "end"
// (a sample every few seconds without starting a process for each).
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

// The live entries of the process's GDI handle table (readable from outside, as on Windows;
// Wine's layout), all and bitmaps only. -1 when it cannot be read.
long GdiTableObjects(HANDLE process, long* bitmaps) {
  *bitmaps = -1;
  PROCESS_BASIC_INFORMATION info{};
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return -1;
  void* table = nullptr;
  const SIZE_T kTableOffset = 0xF8;  // PEB.GdiSharedHandleTable on 64-bit
  if (!ReadProcessMemory(process, reinterpret_cast<char*>(info.PebBaseAddress) + kTableOffset, &table,
                         sizeof table, nullptr) || !table)
    return -1;
  struct Entry { UINT64 object; ULONG owner; USHORT unique; UCHAR type, flags; UINT64 user; };
  static Entry entries[0x10000];
  SIZE_T got = 0;
  ReadProcessMemory(process, table, entries, sizeof entries, &got);
  long count = 0;
  const UCHAR kBitmap = 0x09;
  *bitmaps = 0;
  for (SIZE_T i = 0; i < got / sizeof(Entry); ++i) {
    count += entries[i].type != 0;
    *bitmaps += entries[i].type == kBitmap;
  }
  return got ? count : -1;
}

struct Row { ULONG pid; UCHAR type, flags; USHORT value; PVOID object; ACCESS_MASK access; };
struct List { ULONG count; Row rows[1]; };

// Calls `each` with every row of the system handle list; false when it cannot be read.
template <class F>
bool ForEachHandle(F each) {
  ULONG size = 1 << 20;
  for (int attempt = 0; attempt < 6; ++attempt, size *= 2) {
    auto* list = static_cast<List*>(HeapAlloc(GetProcessHeap(), 0, size));
    ULONG needed = 0;
    NTSTATUS status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), list, size, &needed);
    if (status == 0)
      for (ULONG i = 0; i < list->count; ++i) each(list->rows[i]);
    HeapFree(GetProcessHeap(), 0, list);
    if (status != static_cast<NTSTATUS>(0xC0000004)) return status == 0;  // not STATUS_INFO_LENGTH_MISMATCH
  }
  return false;
}

// Wine leaves GetProcessHandleCount at 0: count the process's rows of the system handle list.
long KernelHandles(DWORD pid) {
  long count = 0;
  return ForEachHandle([&](const Row& r) { count += r.pid == pid; }) ? count : -1;
}

// A thread handle's thread: whether it still runs (a handle to an ended thread is one nobody
// closed) and the module its start address lies in.
std::wstring ThreadText(HANDLE process, HANDLE thread) {
  void* start = nullptr;
  NtQueryInformationThread(thread, static_cast<THREADINFOCLASS>(9), &start, sizeof start, nullptr);  // its start
  std::wstring text = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT ? L"running" : L"ended";
  HMODULE modules[512];
  DWORD bytes = 0;
  wchar_t name[MAX_PATH] = L"?";
  if (EnumProcessModules(process, modules, sizeof modules, &bytes))
    for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
      MODULEINFO m{};
      if (GetModuleInformation(process, modules[i], &m, sizeof m) && start >= m.lpBaseOfDll &&
          start < static_cast<char*>(m.lpBaseOfDll) + m.SizeOfImage) {
        GetModuleBaseNameW(process, modules[i], name, MAX_PATH);
        wchar_t offset[32];
        swprintf(offset, 32, L"+0x%llx", static_cast<unsigned long long>(static_cast<char*>(start) -
                                                                   static_cast<char*>(m.lpBaseOfDll)));
        return text + L" " + name + offset;
      }
    }
  return text + L" " + name;
}

// One line per handle of the process: its type and name, read from a copy of it.
void PrintHandles(DWORD pid, HANDLE process) {
  ForEachHandle([&](const Row& r) {
    if (r.pid != pid) return;
    HANDLE copy = nullptr;
    alignas(UNICODE_STRING) char type[1024] = {}, name[4096] = {};
    if (DuplicateHandle(process, reinterpret_cast<HANDLE>(ULONG_PTR(r.value)), GetCurrentProcess(), &copy, 0,
                        FALSE, DUPLICATE_SAME_ACCESS)) {
      NtQueryObject(copy, ObjectTypeInformation, type, sizeof type - 2, nullptr);
      NtQueryObject(copy, static_cast<OBJECT_INFORMATION_CLASS>(1), name, sizeof name - 2, nullptr);  // its name
    }
    auto text = [](const char* info) {
      const auto* u = reinterpret_cast<const UNICODE_STRING*>(info);
      return u->Buffer ? std::wstring(u->Buffer, u->Length / 2) : std::wstring(L"-");
    };
    std::wstring kind = text(type), what = text(name);
    wchar_t path[4096];
    if (kind == L"File" && copy && GetFinalPathNameByHandleW(copy, path, 4096, 0) - 1 < 4095) what = path;
    if (kind == L"Thread" && copy) what = ThreadText(process, copy);
    if (copy) CloseHandle(copy);
    std::printf("%lu %ls %ls\n", pid, kind.c_str(), what.c_str());
  });
}

// Top-level and child windows of the process (its USER objects as far as Wine counts them).
long Windows(DWORD pid) {
  struct Count { DWORD pid; long n; } c{pid, 0};
  EnumWindows([](HWND w, LPARAM l) -> BOOL {
    auto* c = reinterpret_cast<Count*>(l);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == c->pid) {
      ++c->n;
      EnumChildWindows(w, [](HWND, LPARAM l) -> BOOL { ++reinterpret_cast<Count*>(l)->n; return TRUE; }, l);
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&c));
  return c.n;
}

// Prints one line per process of that name; false when there is none.
bool PrintCounts(const wchar_t* name, bool handles = false) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W p{};
  p.dwSize = sizeof p;
  int found = 0;
  for (BOOL more = Process32FirstW(snap, &p); more; more = Process32NextW(snap, &p)) {
    if (_wcsicmp(p.szExeFile, name) != 0) continue;
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | (handles ? PROCESS_DUP_HANDLE : 0), FALSE,
                           p.th32ProcessID);
    if (!h) continue;
    if (handles) {
      PrintHandles(p.th32ProcessID, h);
      CloseHandle(h);
      ++found;
      continue;
    }
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof m;
    GetProcessMemoryInfo(h, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
    DWORD counted = 0;
    GetProcessHandleCount(h, &counted);
    long handles = counted ? long(counted) : KernelHandles(p.th32ProcessID);
    // Wine leaves GetGuiResources at 0: the table is counted instead.
    long bitmaps = -1, gdi = GetGuiResources(h, GR_GDIOBJECTS);
    if (gdi == 0) gdi = GdiTableObjects(h, &bitmaps);
    long user = GetGuiResources(h, GR_USEROBJECTS);
    std::printf("%lu %zu %ld %ld %ld %ld\n", p.th32ProcessID,
                (m.PrivateUsage ? m.PrivateUsage : m.PagefileUsage) / 1024, handles, gdi, bitmaps,
                user ? user : Windows(p.th32ProcessID));
    CloseHandle(h);
    ++found;
  }
  CloseHandle(snap);
  return found != 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: process_counts NAME [--watch | --handles]\n");
    return 2;
  }
  if (argc > 2 && std::wcscmp(argv[2], L"--handles") == 0) return PrintCounts(argv[1], true) ? 0 : 1;
  if (argc < 3 || std::wcscmp(argv[2], L"--watch") != 0) return PrintCounts(argv[1]) ? 0 : 1;
  for (char line[64]; std::fgets(line, sizeof line, stdin);) {
    PrintCounts(argv[1]);
    std::puts("end");
    std::fflush(stdout);
  }
  return 0;
}
