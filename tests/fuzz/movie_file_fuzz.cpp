// The player movie file: any bytes, compressed ("CWS") or plain ("FWS").
#include <zlib.h>

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

// The same movie in the other form: plain bodies compressed, compressed ones expanded to their
// declared length.
bool OtherForm(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& other)
{
    bool plain = bytes[0] == 'F';
    uint32_t length = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | (uint32_t)bytes[7] << 24;
    uLongf room = plain ? compressBound(bytes.size() - 8) : length - 8;
    uLong in = bytes.size() - 8;
    other.assign(bytes.begin(), bytes.begin() + 8);
    other[0] = plain ? 'C' : 'F';
    other.resize(8 + room);
    bool done = plain ? compress(other.data() + 8, &room, bytes.data() + 8, in) == Z_OK
                      : uncompress2(other.data() + 8, &room, bytes.data() + 8, &in) == Z_OK && room == length - 8;
    other.resize(8 + room);
    return done;
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
    CHECK(HasUtf8Form(movie.videoName));
    for (const auto& v : movie.variables) {
        CHECK(!v.first.empty());
        CHECK(HasUtf8Form(v.first) && HasUtf8Form(v.second));
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
