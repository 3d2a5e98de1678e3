#include "engine/player/movie_file.h"

#include <zlib.h>

#include <cstring>

#include "engine/player/movie_values.h"
#include "text/utf8.h"

namespace {

enum Tag {
  kEnd = 0, kShowFrame = 1, kSetBackgroundColor = 9, kDoAction = 12, kPlaceObject2 = 26,
  kDefineVideoStream = 60, kFileAttributes = 69,
};

struct Reader {
  const uint8_t* p;
  size_t size, pos = 0, bit = 0;  // bit: bits already used of p[pos]
  bool ok = true;
  bool Need(size_t n) { return ok = ok && pos + n <= size; }
  uint32_t U8() { return Need(1) ? p[pos++] : 0; }
  uint32_t U16() { if (!Need(2)) return 0; uint32_t v = p[pos] | p[pos + 1] << 8; pos += 2; return v; }
  uint32_t U32() { uint32_t lo = U16(); return lo | U16() << 16; }
  uint32_t Bits(int n) {
    uint32_t v = 0;
    while (n-- > 0) {
      if (!Need(1)) return 0;
      v = v << 1 | ((p[pos] >> (7 - bit)) & 1);
      if (++bit == 8) { bit = 0; ++pos; }
    }
    return v;
  }
  int32_t SBits(int n) {
    uint32_t v = Bits(n);
    if (n > 0 && (v >> (n - 1)) & 1) v |= ~0u << n;
    return static_cast<int32_t>(v);
  }
  void Align() { if (bit) { bit = 0; ++pos; } }
  std::string Str() {
    std::string s;
    while (Need(1) && p[pos]) s += static_cast<char>(p[pos++]);
    if (Need(1)) ++pos;
    return s;
  }
};

std::wstring Wide(const std::string& s) {
  std::wstring w;
  AppendUtf16(s.data(), s.size(), w);
  return w;
}

// The frame's actions: only the declarations are taken (name, value, set variable); the
// behaviour around them is the engine's own.
bool ReadDeclarations(Reader r, MovieFile* movie) {
  std::vector<std::wstring> stack;
  while (r.ok) {
    uint32_t code = r.U8();
    if (!r.ok) return false;
    if (code == 0) return true;
    uint32_t length = code >= 0x80 ? r.U16() : 0;
    if (!r.Need(length)) return false;
    Reader a{r.p + r.pos, length};
    r.pos += length;
    if (code == 0x96) {  // push
      while (a.ok && a.pos < a.size) {
        if (stack.size() == kMovieMaxStack) return false;
        switch (a.U8()) {
          case 0: stack.push_back(Wide(a.Str())); break;
          case 1: { uint32_t u = a.U32(); float f; std::memcpy(&f, &u, 4); stack.push_back(NumberToText(f)); break; }
          case 6: {  // double, high word first
            uint64_t hi = a.U32(), lo = a.U32();
            uint64_t u = hi << 32 | lo; double d; std::memcpy(&d, &u, 8);
            stack.push_back(NumberToText(d));
            break;
          }
          case 7: stack.push_back(NumberToText(static_cast<int32_t>(a.U32()))); break;
          case 5: stack.push_back(a.U8() ? L"true" : L"false"); break;
          default: return false;
        }
      }
      if (!a.ok) return false;
    } else if (code == 0x1D) {  // set variable
      if (stack.size() < 2 || movie->variables.size() == kMovieMaxVariables) return false;
      std::wstring value = std::move(stack.back()); stack.pop_back();
      std::wstring name = std::move(stack.back()); stack.pop_back();
      if (name.empty()) return false;
      movie->variables.emplace_back(name, value);
    } else {
      stack.clear();
    }
  }
  return false;
}

}  // namespace

bool ParseMovieFile(const std::vector<uint8_t>& bytes, MovieFile* movie) {
  *movie = MovieFile{};
  if (bytes.size() < 8) return false;
  bool compressed = bytes[0] == 'C';
  if (!(bytes[0] == 'C' || bytes[0] == 'F') || bytes[1] != 'W' || bytes[2] != 'S') return false;
  movie->version = bytes[3];
  uint32_t length = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | static_cast<uint32_t>(bytes[7]) << 24;
  // Checked before the body is allocated: a crafted length costs nothing.
  if (length < 8 + 5 || length > kMovieMaxLength || (!compressed && bytes.size() != length))
    return false;
  std::vector<uint8_t> body(length - 8);
  if (compressed) {
    uLongf out = static_cast<uLongf>(body.size());
    if (uncompress(body.data(), &out, bytes.data() + 8, static_cast<uLong>(bytes.size() - 8)) != Z_OK ||
        out != body.size())
      return false;
  } else {
    std::memcpy(body.data(), bytes.data() + 8, body.size());
  }

  Reader r{body.data(), body.size()};
  int nbits = static_cast<int>(r.Bits(5));
  int32_t xmin = r.SBits(nbits), xmax = r.SBits(nbits), ymin = r.SBits(nbits), ymax = r.SBits(nbits);
  r.Align();
  movie->stageWidth = (xmax - xmin) / 20;
  movie->stageHeight = (ymax - ymin) / 20;
  movie->frameRate = r.U16() / 256.0;
  movie->frameCount = static_cast<int>(r.U16());
  if (!r.ok || movie->stageWidth <= 0 || movie->stageHeight <= 0 || movie->frameCount < 1) return false;

  int videoId = -1;
  bool placed = false, declared = false, shown = false, ended = false;
  for (int tags = 1; r.ok && !ended; ++tags) {
    if (tags > kMovieMaxTags) return false;
    uint32_t header = r.U16();
    uint32_t code = header >> 6, size = header & 0x3F;
    if (size == 0x3F) size = r.U32();
    if (!r.Need(size)) return false;
    Reader t{r.p + r.pos, size};
    r.pos += size;
    switch (code) {
      case kEnd: ended = true; break;
      case kShowFrame: shown = true; break;
      case kDefineVideoStream:
        videoId = static_cast<int>(t.U16());
        t.U16();
        movie->videoWidth = static_cast<int>(t.U16());
        movie->videoHeight = static_cast<int>(t.U16());
        t.U8(); t.U8();
        if (!t.ok) return false;
        break;
      case kPlaceObject2: {
        uint32_t flags = t.U8();
        t.U16();  // depth
        int id = (flags & 0x02) ? static_cast<int>(t.U16()) : -1;
        if (flags & 0x04) {  // matrix
          if (t.Bits(1)) { int n = static_cast<int>(t.Bits(5)); t.Bits(2 * n); }
          if (t.Bits(1)) { int n = static_cast<int>(t.Bits(5)); t.Bits(2 * n); }
          int n = static_cast<int>(t.Bits(5)); t.Bits(2 * n);
          t.Align();
        }
        if (flags & 0x08) {  // colour transform with alpha
          bool add = t.Bits(1), mult = t.Bits(1);
          int n = static_cast<int>(t.Bits(4));
          t.Bits((add ? 4 * n : 0) + (mult ? 4 * n : 0));
          t.Align();
        }
        if (flags & 0x10) t.U16();  // ratio
        if (flags & 0x20) {
          std::string name = t.Str();
          if (t.ok && id == videoId && videoId >= 0) { movie->videoName = Wide(name); placed = true; }
        }
        if (!t.ok) return false;
        break;
      }
      case kDoAction:
        if (!shown && !ReadDeclarations(t, movie)) return false;
        declared = !movie->variables.empty();
        break;
      default: break;
    }
  }
  return r.ok && ended && shown && placed && declared;
}
