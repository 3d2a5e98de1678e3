// The player movie file: any bytes, compressed ("CWS") or plain ("FWS").
#include <zlib.h>

#include <vector>

#include "engine/player/movie_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size), other;
    MovieFile movie, again;
    if (!ParseMovieFile(bytes, &movie))
        return 0;
    CHECK(bytes[0] == 'C' || size >= 8 + 5);
    CHECK(movie.stageWidth > 0 && movie.stageHeight > 0 && movie.frameCount >= 1);
    auto utf8 = [](const std::wstring& u) { std::string b; return AppendUtf8(u.data(), u.size(), b); };
    CHECK(!movie.variables.empty() && movie.variables.size() <= kMovieMaxVariables && utf8(movie.videoName));
    for (const auto& v : movie.variables)
        CHECK(!v.first.empty() && utf8(v.first) && utf8(v.second));
    // The same movie in the other form (compressed, or expanded to its length) reads the same.
    bool plain = bytes[0] == 'F';
    uint32_t length = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | (uint32_t)bytes[7] << 24;
    uLongf room = plain ? compressBound(size - 8) : length - 8;
    uLong in = size - 8;
    other.assign(bytes.begin(), bytes.begin() + 8);
    other[0] = plain ? 'C' : 'F';
    other.resize(8 + room);
    if (plain ? compress(other.data() + 8, &room, bytes.data() + 8, in) != Z_OK
              : uncompress2(other.data() + 8, &room, bytes.data() + 8, &in) != Z_OK || room != length - 8)
        return 0;
    other.resize(8 + room);
    CHECK(ParseMovieFile(other, &again) && movie == again);
    return 0;
}
