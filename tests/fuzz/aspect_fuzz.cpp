// The aspect arithmetic over every video size, ratio, panel and zoom: no overflow, no
// division by zero, the shown picture inside the panel, presets in order.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <numeric>

#include "app/aspect_sizes.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    int value = in.ConsumeIntegral<int>();
    int videoWidth = in.ConsumeIntegral<int>(), videoHeight = in.ConsumeIntegral<int>();
    AspectPair ratio = {in.ConsumeIntegral<int>(), in.ConsumeIntegral<int>()};
    int panelWidth = in.ConsumeIntegral<int>(), panelHeight = in.ConsumeIntegral<int>();
    int zoom = in.ConsumeIntegral<int>(), playlistWidth = in.ConsumeIntegral<int>();

    AspectPair decoded = DecodeAspectValue(value);
    CHECK(std::abs(decoded.Width) < 1000 && std::abs(decoded.Height) < 1000);
    if (value >= 0 && value < 1000000)
        CHECK(decoded.Width * 1000 + decoded.Height == value);

    AspectPair reduced = ReduceRatio(videoWidth, videoHeight);
    if (videoWidth > 0 && videoHeight > 0) {
        CHECK(reduced.Width > 0 && reduced.Height > 0 && std::gcd(reduced.Width, reduced.Height) == 1);
        CHECK((long long)reduced.Width * videoHeight == (long long)reduced.Height * videoWidth);
    } else {
        CHECK(reduced.Width == 0 && reduced.Height == 0);
    }

    int fit = ZoomPercentFor(videoWidth, videoHeight, ratio, panelWidth, panelHeight);
    bool known = videoWidth > 0 && videoHeight > 0 && UsableRatio(ratio);
    CHECK(known || fit == 0);
    if (panelWidth >= 0 && panelHeight >= 0) {
        CHECK(fit >= 0);
        // Shown at the zoom that fits, the picture stays inside the panel.
        PixelSize shown = ShownPixelSize(videoWidth, ratio, fit);
        CHECK(shown.cx <= panelWidth && shown.cy <= panelHeight);
    }
    PixelSize any = ShownPixelSize(videoWidth, ratio, zoom);
    CHECK(any.cx >= 0 && any.cy >= 0);

    PixelSize presets[5];
    if (PresetPixelSizes(videoWidth, ratio, presets)) {
        CHECK(videoWidth > 0 && UsableRatio(ratio));
        CHECK(presets[2].cx == videoWidth && presets[2].cy > 0);
        for (int i = 1; i < 5; i++)
            CHECK(presets[i].cx >= presets[i - 1].cx && presets[i].cy >= presets[i - 1].cy);
        for (const PixelSize& p : presets) {
            int side = FitWindowSide((long long)p.cx + playlistWidth + 4);
            CHECK(side >= 0 && side <= 32767);
        }
    }
    return 0;
}
