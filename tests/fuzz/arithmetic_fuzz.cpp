// The program's arithmetic over any values, the first byte choosing the part: results in range.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwchar>
#include <numeric>

#include "app/aspect_sizes.h"
#include "app/ini_path.h"
#include "controls/seek_mapping.h"
#include "engine/player/movie_values.h"
#include "engine/variable_text.h"
#include "fuzz_support.h"

namespace {

void Aspect(FuzzedDataProvider& in)
{
    int value = in.ConsumeIntegral<int>(), videoWidth = in.ConsumeIntegral<int>(), videoHeight = in.ConsumeIntegral<int>();
    AspectPair ratio = {in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>()};
    int panelWidth = in.ConsumeIntegral<int>(), panelHeight = in.ConsumeIntegral<int>();
    int zoom = in.ConsumeIntegral<int>(), playlistWidth = in.ConsumeIntegral<int>();
    AspectPair decoded = DecodeAspectValue(value), reduced = ReduceRatio(videoWidth, videoHeight);
    CHECK(std::abs(decoded.Width) < 1000 && std::abs(decoded.Height) < 1000);
    CHECK(value < 0 || value >= 1000000 || decoded.Width * 1000 + decoded.Height == value);
    if (videoWidth > 0 && videoHeight > 0)
        CHECK(reduced.Width > 0 && reduced.Height > 0 && std::gcd(reduced.Width, reduced.Height) == 1 &&
              (long long)reduced.Width * videoHeight == (long long)reduced.Height * videoWidth);
    else
        CHECK(reduced.Width == 0 && reduced.Height == 0);
    int fit = ZoomPercentFor(videoWidth, videoHeight, ratio, panelWidth, panelHeight);
    CHECK((videoWidth > 0 && videoHeight > 0 && UsableRatio(ratio)) || fit == 0);
    PixelSize shown = ShownPixelSize(videoWidth, ratio, fit), any = ShownPixelSize(videoWidth, ratio, zoom);
    CHECK(panelWidth < 0 || panelHeight < 0 || (fit >= 0 && shown.cx <= panelWidth && shown.cy <= panelHeight));
    CHECK(any.cx >= 0 && any.cy >= 0);
    PixelSize presets[5];
    if (PresetPixelSizes(videoWidth, ratio, presets)) {
        CHECK(videoWidth > 0 && UsableRatio(ratio) && presets[2].cx == videoWidth && presets[2].cy > 0);
        for (int i = 0; i < 5; i++) {
            CHECK(i == 0 || (presets[i].cx >= presets[i - 1].cx && presets[i].cy >= presets[i - 1].cy));
            int side = FitWindowSide((long long)presets[i].cx + playlistWidth + 4);
            CHECK(side >= 0 && side <= 32767);
        }
    }
}

void SeekBar(FuzzedDataProvider& in)
{
    unsigned seconds = in.ConsumeIntegral<unsigned>(), duration = in.ConsumeIntegral<unsigned>();
    int width = in.ConsumeIntegral<int>(), x = in.ConsumeIntegral<int>();
    SectionRecord section = {in.ConsumeIntegral<unsigned>(), in.ConsumeIntegral<unsigned>(), in.ConsumeIntegral<unsigned>(), 0, 0};
    bool sectionMode = in.ConsumeBool();
    // Seconds to pixels: within the bar, in order, the end at the right edge.
    int px = SecondsToPixel(seconds, duration, width);
    CHECK(px >= 0 && px <= (width > 0 ? width : 0) && (duration != 0 || px == 0));
    CHECK(seconds == UINT_MAX || SecondsToPixel(seconds + 1, duration, width) >= px);
    CHECK(duration == 0 || width <= 0 || seconds < duration || px == width);
    // The pointer to seconds: within the file, in order, the second's own pixel not past it.
    unsigned s = PointerToSeconds(x, width, duration);
    CHECK(s <= duration && (width > 0 || s == 0));
    CHECK(width <= 0 || ((x == INT_MAX || PointerToSeconds(x + 1, width, duration) >= s) &&
                         SecondsToPixel(s, duration, width) <= std::clamp(x, 0, width)));
    // Markers: only in section mode with a section and a duration, each near its second.
    int hit = HitMarker(x, width, section, duration, sectionMode);
    unsigned marked = hit == StartMarker ? section.SectionStart : section.SectionEnd;
    CHECK(hit == NoMarker || ((hit == StartMarker || hit == EndMarker) && sectionMode && section.SectionActive && duration &&
                              (width <= 0 || std::llabs((long long)x - SecondsToPixel(marked, duration, width)) <= 5)));
    // A drag never seeks to or past the end; a second inside the file is kept.
    unsigned target = SeekTarget(seconds, duration);
    CHECK((target == 0 || target < duration) && (seconds >= duration || target == seconds));
    CHECK(seconds < duration || duration < 5 || target + 5 == duration);
}

void Values(FuzzedDataProvider& in)
{
    int number = in.ConsumeIntegral<int>();
    double value = in.ConsumeFloatingPoint<double>(), width = in.ConsumeFloatingPoint<double>();
    double height = in.ConsumeFloatingPoint<double>(), ratio = in.ConsumeFloatingPoint<double>();
    bool wide = in.ConsumeBool();
    std::vector<uint8_t> rest = in.ConsumeRemainingBytes<uint8_t>();
    // Narrow: every byte one unit (Latin-1), so that short ASCII texts stay short inputs.
    std::wstring text = wide ? Utf16Units(rest.data(), rest.size()) : std::wstring(rest.begin(), rest.end());
    const wchar_t* t = text.c_str();  // the wire's text ends at a NUL
    // The host's integers read back, blanks and trailers aside; parseInt agrees (bar \v and \f).
    wchar_t written[32];
    std::swprintf(written, 32, L"%d", number);
    int read = MovieTextToInt(t);
    CHECK(MovieTextToInt(written) == number && MovieTextToInt((L" \t\r\n\v\f" + text).c_str()) == read &&
          MovieTextToInt((text + L"x9").c_str()) == read);
    double p = std::wcspbrk(t, L"\v\f") ? 0 : ParseIntText(t);
    CHECK(std::wcspbrk(t, L"\v\f") || (std::isnan(p) ? read == 0 : read == (p >= INT_MAX ? INT_MAX : p <= INT_MIN ? INT_MIN : (int)p)));
    // Numbers printed read back (whole ones exactly, also on the host; others to 15 digits).
    double v = TextToNumber(text), back = TextToNumber(NumberToText(v));
    CHECK(!std::isfinite(v) || (v == std::floor(v) && std::fabs(v) < 1e15 ? back == v : std::fabs(back - v) <= 1e-14 * std::fabs(v)));
    std::wstring printed = NumberToText(value);
    CHECK(!printed.empty() && printed.size() < 64 && std::isnan(value) == (printed == L"NaN"));
    CHECK(value != std::floor(value) || value < INT_MIN || value > INT_MAX || MovieTextToInt(printed.c_str()) == (int)value);
    // The picture fits the panel, as large as fits.
    FitRect r = FitPicture(width, height, ratio);
    if (!(width > 0 && height > 0))
        CHECK(r.x == 0 && r.y == 0 && r.width == 0 && r.height == 0);
    else if (std::isfinite(width) && std::isfinite(height))
        CHECK(r.x >= 0 && r.y >= 0 && r.width >= 0 && r.height >= 0 && (r.width == width || r.height == height) &&
              r.x + r.width <= width * (1 + 1e-12) && r.y + r.height <= height * (1 + 1e-12));
    // The settings file lies in the module's folder.
    std::wstring ini = IniPathBeside(text, L"Nimbrel.ini"), folder = ini.substr(0, ini.size() - 11);
    CHECK(ini.size() >= 11 && ini.compare(ini.size() - 11, 11, L"Nimbrel.ini") == 0);
    CHECK(text.compare(0, folder.size(), folder) == 0 && text.find_first_of(L"\\/", folder.size()) == std::wstring::npos);
    CHECK(folder.empty() || folder.back() == L'\\' || folder.back() == L'/');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data + (size > 0), size - (size > 0));
    void (*parts[])(FuzzedDataProvider&) = {Aspect, SeekBar, Values};
    parts[size ? data[0] % 3 : 0](in);
    return 0;
}
