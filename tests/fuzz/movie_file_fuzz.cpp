// The player movie file: any bytes, compressed ("CWS") or plain ("FWS").
#include <zlib.h>

#include <cstring>
#include <vector>

#include "engine/player/movie_file.h"
#include "fuzz_support.h"

namespace {

bool Same(const MovieFile& a, const MovieFile& b)
{
    return a.version == b.version && a.stageWidth == b.stageWidth && a.stageHeight == b.stageHeight &&
           a.frameRate == b.frameRate && a.frameCount == b.frameCount && a.videoName == b.videoName &&
           a.videoWidth == b.videoWidth && a.videoHeight == b.videoHeight && a.variables == b.variables;
}

// The same movie in the other form: plain bodies compressed, compressed ones expanded.
bool OtherForm(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& other)
{
    uint32_t length = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | (uint32_t)bytes[7] << 24;
    std::vector<uint8_t> body;
    if (bytes[0] == 'F') {
        body.assign(bytes.begin() + 8, bytes.end());
        uLongf room = compressBound(body.size());
        other.assign(8 + room, 0);
        if (compress(other.data() + 8, &room, body.data(), body.size()) != Z_OK)
            return false;
        other.resize(8 + room);
        other[0] = 'C';
    } else {
        body.assign(length - 8, 0);
        uLongf out = body.size();
        uLong in = bytes.size() - 8;
        if (uncompress2(body.data(), &out, bytes.data() + 8, &in) != Z_OK || out != body.size())
            return false;
        other.assign(bytes.begin(), bytes.begin() + 8);
        other.insert(other.end(), body.begin(), body.end());
        other[0] = 'F';
    }
    std::memcpy(other.data() + 1, bytes.data() + 1, 7);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    MovieFile movie;
    bool accepted = ParseMovieFile(bytes, &movie);
    if (!accepted)
        return 0;
    CHECK(bytes[0] == 'C' || size >= 8 + 5);
    CHECK(movie.stageWidth > 0 && movie.stageHeight > 0 && movie.frameCount >= 1);
    CHECK(!movie.variables.empty() && movie.variables.size() <= kMovieMaxVariables);
    CHECK(IsWellFormedUtf16(movie.videoName));
    for (const auto& v : movie.variables) {
        CHECK(!v.first.empty());
        CHECK(IsWellFormedUtf16(v.first) && IsWellFormedUtf16(v.second));
    }
    // Compressed or not, the movie reads the same.
    std::vector<uint8_t> other;
    if (OtherForm(bytes, other)) {
        MovieFile again;
        CHECK(ParseMovieFile(other, &again));
        CHECK(Same(movie, again));
    }
    return 0;
}
