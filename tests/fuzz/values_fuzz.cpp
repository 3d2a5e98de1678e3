// Numbers as text both ways: the host's text-to-integer rule, the movie's number reading
// and printing, where the picture goes, and where the settings file lies.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cmath>
#include <cwchar>

#include "app/ini_path.h"
#include "engine/player/movie_values.h"
#include "engine/variable_text.h"
#include "fuzz_support.h"

namespace {

void ReadAsInteger(const std::wstring& text, int number)
{
    // What the host writes it reads back.
    wchar_t written[32];
    std::swprintf(written, 32, L"%d", number);
    CHECK(MovieTextToInt(written) == number);

    const wchar_t* t = text.c_str();  // the wire's text ends at a NUL
    int value = MovieTextToInt(t);
    CHECK(MovieTextToInt((L" \t\r\n\v\f" + std::wstring(t)).c_str()) == value);
    CHECK(MovieTextToInt((std::wstring(t) + L"x9").c_str()) == value);
    // The engine's parseInt reads the same digits (its blanks are fewer: no \v or \f).
    if (!std::wcschr(t, L'\v') && !std::wcschr(t, L'\f')) {
        double p = ParseIntText(t);
        CHECK(std::isnan(p) ? value == 0 : value == (p >= INT_MAX ? INT_MAX : p <= INT_MIN ? INT_MIN : (int)p));
    }
}

void ReadAsNumber(const std::wstring& text, double number)
{
    double v = TextToNumber(text);
    if (std::isfinite(v)) {
        // Printed and read again: exact for whole numbers, 15 digits for others.
        double back = TextToNumber(NumberToText(v));
        if (v == std::floor(v) && std::fabs(v) < 1e15)
            CHECK(back == v);
        else
            CHECK(std::fabs(back - v) <= 1e-14 * std::fabs(v));
    }
    std::wstring printed = NumberToText(number);
    CHECK(!printed.empty() && printed.size() < 64);
    CHECK(std::isnan(number) == (printed == L"NaN"));
    // Whole numbers the engine prints (sizes, seconds) read as themselves on the host.
    if (number == std::floor(number) && number >= INT_MIN && number <= INT_MAX)
        CHECK(MovieTextToInt(printed.c_str()) == (int)number);
}

void Fit(double width, double height, double ratio)
{
    FitRect r = FitPicture(width, height, ratio);
    if (!(width > 0 && height > 0))
        CHECK(r.x == 0 && r.y == 0 && r.width == 0 && r.height == 0);
    if (!(width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height)))
        return;
    CHECK(r.x >= 0 && r.y >= 0 && r.width >= 0 && r.height >= 0);
    const double slack = 1e-12;
    CHECK(r.x + r.width <= width * (1 + slack) && r.y + r.height <= height * (1 + slack));
    CHECK(r.width == width || r.height == height);  // as large as fits
}

void IniBeside(const std::wstring& module)
{
    std::wstring ini = IniPathBeside(module, L"Nimbrel.ini");
    CHECK(ini.size() >= 11 && ini.compare(ini.size() - 11, 11, L"Nimbrel.ini") == 0);
    std::wstring folder = ini.substr(0, ini.size() - 11);
    CHECK(module.compare(0, folder.size(), folder) == 0);
    CHECK(folder.empty() || folder.back() == L'\\' || folder.back() == L'/');
    CHECK(module.find_first_of(L"\\/", folder.size()) == std::wstring::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    int number = in.ConsumeIntegral<int>();
    double value = in.ConsumeFloatingPoint<double>();
    double width = in.ConsumeFloatingPoint<double>(), height = in.ConsumeFloatingPoint<double>();
    double ratio = in.ConsumeFloatingPoint<double>();
    bool wide = in.ConsumeBool();
    std::vector<uint8_t> rest = in.ConsumeRemainingBytes<uint8_t>();
    // Narrow: every byte one unit (Latin-1), so that short ASCII texts stay short inputs.
    std::wstring text = wide ? Utf16Units(rest.data(), rest.size()) : std::wstring(rest.begin(), rest.end());
    ReadAsInteger(text, number);
    ReadAsNumber(text, value);
    Fit(width, height, ratio);
    IniBeside(text);
    return 0;
}
