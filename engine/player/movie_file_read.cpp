#include "engine/player/movie_file.h"

#include <windows.h>

bool LoadMovieFile(const wchar_t* path, MovieFile* movie) {
  if (!path || !*path) return false;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  // Compressed or not, a movie file is never much longer than its declared length.
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= 2 * kMovieMaxLength;
  std::vector<uint8_t> bytes(ok ? static_cast<size_t>(size.QuadPart) : 0);
  DWORD read = 0;
  ok = ok && ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
       read == bytes.size();
  CloseHandle(file);
  return ok && ParseMovieFile(bytes, movie);
}
