// Side layers of premultiplied pixels: a stroke drawn on a clear layer and
// laid over a picture gives what the stroke blended straight in does, to
// within two units (each way rounds once); laying many layers at once is laying them one by one
// (and making the picture under the newest again in the same pass); a
// stroke's marked pixels hold every pixel it blends; discs repainted in some
// tiles are as a whole paint draws them; the trails are cut into as many
// chunks as the layers' memory allows.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "animation/tick_damage.h"
#include "plot/layer_compose.h"
#include "plot/line_raster.h"
#include "publication/trail_chunks.h"

namespace {

struct Raster {
    int32_t width, height;
    std::vector<uint32_t> bits;
    Raster(int32_t w, int32_t h, uint32_t fill)
        : width(w), height(h), bits(std::size_t(w) * std::size_t(h), fill) {}
    PixelRaster view() { return {bits.data(), width, height, width}; }
    DeviceRect all() const { return {0, 0, width, height}; }
};

/// The largest difference of one channel between two pixels.
int Apart(uint32_t a, uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 32; shift += 8)
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

/// Random strokes of random colours and widths over a 48 x 40 raster.
struct Strokes {
    std::mt19937 random{11};
    ViewPoint Point() {
        return {std::uniform_real_distribution<double>(-4, 52)(random),
                std::uniform_real_distribution<double>(-4, 44)(random)};
    }
    double Width() { return std::uniform_real_distribution<double>(0.5, 5)(random); }
    ColourRef Colour() { return ColourRef(random() & 0xFFFFFF); }
};

TEST(LayerCompose, AStrokeOnAClearLayerLaidOverIsTheStrokeBlendedIn) {
    Strokes s;
    for (const uint32_t under : {0xFFFFFFFFu, 0xFF000000u, 0xFF3A7FC2u})
        for (int i = 0; i < 60; ++i) {
            Raster straight(48, 40, under), picture(48, 40, under), layer(48, 40, 0);
            const ViewPoint a = s.Point(), b = s.Point();
            const double width = s.Width();
            const ColourRef colour = s.Colour();
            BlendStroke(straight.view(), a, b, width, colour, straight.all());
            BlendStroke(layer.view(), a, b, width, colour, layer.all());
            const PixelRaster top = layer.view();
            const PixelRaster* layers[] = {&top};
            ComposeLayers(picture.view(), layers, 1, picture.all());
            for (std::size_t p = 0; p < picture.bits.size(); ++p) {
                // Opaque pixels stay opaque; a clear one leaves the picture.
                ASSERT_EQ(picture.bits[p] >> 24, 0xFFu);
                ASSERT_LE(Apart(picture.bits[p], straight.bits[p]), 2) << "pixel " << p << " stroke " << i;
                if (layer.bits[p] == 0) {
                    ASSERT_EQ(picture.bits[p], under);
                }
            }
        }
}

TEST(LayerCompose, ManyLayersAtOnceAreTheLayersOneByOneOverTheBaseWithinTheTiles) {
    Strokes s;
    constexpr int kLayers = 5;
    std::vector<Raster> layers(kLayers, Raster(48, 40, 0));
    for (Raster& layer : layers)
        for (int i = 0; i < 12; ++i) {
            BlendStroke(layer.view(), s.Point(), s.Point(), s.Width(), s.Colour(), layer.all());
            for (const uint32_t p : layer.bits)  // premultiplied: no colour above the alpha
                for (int shift = 0; shift < 24; shift += 8) ASSERT_LE((p >> shift) & 0xFF, p >> 24);
        }
    // Every other tile of 4 pixels, within a clip.
    std::vector<uint8_t> marked(12 * 10);
    for (std::size_t i = 0; i < marked.size(); ++i) marked[i] = (i + i / 12) % 2;
    const TileMask mask{marked.data(), 12, 10, 4};
    const DeviceRect clip{3, 2, 45, 37};
    Raster base(48, 40, 0xFF808080u), oneByOne = base, atOnce(48, 40, 0xFF123456u);
    std::vector<PixelRaster> views;
    std::vector<const PixelRaster*> pointers;
    for (Raster& layer : layers) views.push_back(layer.view());
    for (const PixelRaster& view : views) pointers.push_back(&view);
    for (const PixelRaster* layer : pointers) ComposeLayers(oneByOne.view(), &layer, 1, clip, &mask);
    const PixelRaster below = base.view();
    ComposeLayers(atOnce.view(), pointers.data(), pointers.size(), clip, &mask, &below);
    int changed = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 48; ++x) {
            const std::size_t p = std::size_t(y * 48 + x);
            const bool drawn = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom &&
                               marked[std::size_t(y / 4 * 12 + x / 4)];
            ASSERT_EQ(atOnce.bits[p], drawn ? oneByOne.bits[p] : 0xFF123456u) << x << "," << y;
            if (!drawn) {
                ASSERT_EQ(oneByOne.bits[p], base.bits[p]);
            }
            changed += drawn && oneByOne.bits[p] != base.bits[p];
        }
    EXPECT_GT(changed, 200);
    // Laid in two goes, the older layers first, as a tick lays the newest
    // over the picture kept under it: the same picture.
    Raster older = base, twice(48, 40, 0xFF123456u);
    ComposeLayers(older.view(), pointers.data(), pointers.size() - 1, clip, &mask);
    const PixelRaster under = older.view();
    ComposeLayers(twice.view(), &pointers.back(), 1, clip, &mask, &under);
    EXPECT_TRUE(twice.bits == atOnce.bits);
    // The older layers made again within some of the tiles and the newest
    // laid over them within all, in one pass: as the two calls make them.
    std::vector<uint8_t> some(marked.size());
    for (std::size_t i = 0; i < some.size(); ++i) some[i] = marked[i] && i % 3 != 0;
    const TileMask refresh{some.data(), 12, 10, 4};
    Raster stale(48, 40, 0xFF00FF00u), belowTwice = stale, belowOnce = stale;
    Raster outTwice(48, 40, 0xFF0000FFu), outOnce = outTwice;
    ComposeLayers(belowTwice.view(), pointers.data(), pointers.size() - 1, clip, &refresh, &below);
    const PixelRaster kept = belowTwice.view();
    ComposeLayers(outTwice.view(), &pointers.back(), 1, clip, &mask, &kept);
    ComposeRefreshing(outOnce.view(), belowOnce.view(), pointers.back(), pointers.data(), pointers.size() - 1,
                      base.view(), clip, &mask, refresh);
    EXPECT_TRUE(belowOnce.bits == belowTwice.bits);
    EXPECT_TRUE(outOnce.bits == outTwice.bits);
    // Clearing within the tiles leaves the rest.
    Raster cleared = layers[0];
    ClearLayer(cleared.view(), clip, &mask);
    for (std::size_t p = 0; p < cleared.bits.size(); ++p)
        ASSERT_TRUE(cleared.bits[p] == 0 || cleared.bits[p] == layers[0].bits[p]);
}

// Laid four pixels at a time where a run allows: every run length and
// start, over clear, opaque and partly covered pixels, gives each pixel the
// premultiplied sum rounded to the nearest, as one pixel at a time does.
TEST(LayerCompose, RunsOfEveryLengthGiveEachPixelTheRoundedPremultipliedSum) {
    std::mt19937 random(5);
    const auto premultiplied = [&] {
        const uint32_t kinds[] = {0, 255, random() & 0xFF};
        const uint32_t alpha = kinds[random() % 3];
        uint32_t p = alpha << 24;
        for (int shift = 0; shift < 24; shift += 8) p |= (alpha ? random() % (alpha + 1) : 0) << shift;
        return p;
    };
    constexpr int32_t kWidth = 16, kLayers = 3;
    std::vector<Raster> layers(kLayers, Raster(kWidth, 1, 0));
    Raster base(kWidth, 1, 0);
    for (int round = 0; round < 40; ++round) {
        for (Raster& layer : layers)
            for (uint32_t& p : layer.bits) p = premultiplied();
        for (uint32_t& p : base.bits) p = 0xFF000000u | (random() & 0xFFFFFF);
        std::vector<PixelRaster> views;
        for (Raster& layer : layers) views.push_back(layer.view());
        const PixelRaster* pointers[] = {&views[0], &views[1], &views[2]};
        for (int32_t from = 0; from < 4; ++from)
            for (int32_t to = from + 1; to <= kWidth; ++to) {
                Raster out(kWidth, 1, 0xFF0000FFu);
                const PixelRaster below = base.view();
                ComposeLayers(out.view(), pointers, kLayers, {from, 0, to, 1}, nullptr, &below);
                for (int32_t x = 0; x < kWidth; ++x) {
                    uint32_t want = base.bits[std::size_t(x)];
                    for (const Raster& layer : layers) {
                        const uint32_t top = layer.bits[std::size_t(x)], keep = 255 - (top >> 24);
                        uint32_t sum = 0;
                        for (int shift = 0; shift < 32; shift += 8) {
                            const uint32_t under = (want >> shift) & 0xFF;
                            sum |= (((top >> shift) & 0xFF) + (2 * under * keep + 255) / 510) << shift;
                        }
                        want = sum;
                    }
                    if (x < from || x >= to) want = 0xFF0000FFu;
                    ASSERT_EQ(out.bits[std::size_t(x)], want)
                        << "run " << from << ".." << to << ", pixel " << x;
                }
            }
    }
}

TEST(LayerCompose, AStrokesMarkedPixelsHoldEveryPixelItBlendsAndFewMore) {
    Strokes s;
    for (const int32_t shift : {0, 1, 2})
        for (int i = 0; i < 300; ++i) {
            const ViewPoint a = s.Point(), b = i % 10 == 0 ? a : s.Point();  // and strokes of no length
            const double width = s.Width();
            Raster r(48, 40, 0xFFFFFFFFu);
            BlendStroke(r.view(), a, b, width, 0, r.all());
            TickDamage damage;
            damage.Reset(48, 40, shift);
            damage.MarkStroke(a, b, width / 2 + 1);
            int marked = 0, inked = 0;
            for (int32_t y = 0; y < 40; ++y)
                for (int32_t x = 0; x < 48; ++x) {
                    const bool ink = r.bits[std::size_t(y * 48 + x)] != 0xFFFFFFFFu;
                    ASSERT_TRUE(!ink || damage.Covers(x, y)) << x << "," << y << " stroke " << i;
                    marked += damage.Covers(x, y), inked += ink;
                }
            // Pixels, not the box: a long slanting stroke marks a band about it.
            if (shift == 0 && std::fabs(b.x - a.x) > 20 && std::fabs(b.y - a.y) > 20) {
                EXPECT_LT(marked, 3 * inked + 60) << "stroke " << i;
            }
        }
    TickDamage damage;
    damage.Reset(48, 40, 0);
    damage.MarkStroke({NAN, 3}, {4, 5}, 2);
    damage.MarkStroke({1e300, 3}, {-1e300, 5}, 2);  // far ends: the row it crosses
    EXPECT_FALSE(damage.Covers(10, 0));
    EXPECT_TRUE(damage.Covers(10, 4));
}

TEST(LayerCompose, DiscsRepaintedInSomeTilesAreAsAWholePaintDrawsThem) {
    Strokes s;
    std::vector<uint8_t> marked(12 * 10);
    for (std::size_t i = 0; i < marked.size(); ++i) marked[i] = i % 3 == 1;
    const TileMask mask{marked.data(), 12, 10, 4};
    Raster whole(48, 40, 0xFFFFFFFFu), tiles = whole;
    for (int i = 0; i < 40; ++i) {
        const ViewPoint c = s.Point();
        const double radius = s.Width();
        const ColourRef colour = s.Colour();
        BlendDisc(whole.view(), c, radius, colour, whole.all());
        BlendDisc(tiles.view(), c, radius, colour, tiles.all(), &mask);
    }
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 48; ++x) {
            const std::size_t p = std::size_t(y * 48 + x);
            ASSERT_EQ(tiles.bits[p], marked[std::size_t(y / 4 * 12 + x / 4)] ? whole.bits[p] : 0xFFFFFFFFu);
        }
    // A black disc leaves its area of ink and fills its middle.
    Raster one(48, 40, 0xFFFFFFFFu);
    BlendDisc(one.view(), {20.3, 19.6}, 7.5, 0, one.all());
    double ink = 0;
    for (const uint32_t p : one.bits) ink += (255 - (p & 0xFF)) / 255.0;
    EXPECT_NEAR(ink, M_PI * 7.5 * 7.5, 2);
    EXPECT_EQ(one.bits[19 * 48 + 20], 0xFF000000u);
}

}  // namespace

namespace {

TEST(TrailChunks, AsManyChunksAsTheLayersMemoryAllowsFromEightToSixteen) {
    struct Case {
        int32_t width, height;
        int64_t chunks;
    };
    const Case cases[] = {
        {600, 600, 16},  {1918, 975, 16}, {1920, 1080, 16}, {2560, 1440, 8},
        {2400, 1400, 9}, {3840, 2160, 0}, {0, 0, 16},       {1 << 20, 1 << 20, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrailChunks::Chunks(c.width, c.height), c.chunks) << c.width << "x" << c.height;
}

}  // namespace
