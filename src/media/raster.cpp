#include "media/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

namespace {

constexpr double kLobes = 3.0;
static_assert(kLobes == 3.0, "Lanczos() computes the sine of three lobes by an identity");
// Weights in fixed point: 14 bits keep the sums of 8-bit samples well inside 32 bits.
constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;

double Lanczos(double x) {
    x = std::fabs(x);
    if (x < 1e-12) {
        return 1.0;
    }
    if (x >= kLobes) {
        return 0.0;
    }
    // sin(3a) = 3 sin(a) - 4 sin(a)^3 spares the second sine of the three lobes.
    const double angle = std::numbers::pi * x;
    const double third = std::sin(angle / kLobes);
    const double whole = third * (3 - 4 * third * third);
    return kLobes * whole * third / (angle * angle);
}

// The source samples each output position along one axis is made of, with their weights
// in fixed point summing to exactly kWeightOne, so flat areas stay exactly flat.
struct AxisFilter {
    std::vector<int> first;   // per output position: its first tap
    std::vector<int> source;  // per tap: the source position, inside the picture
    std::vector<int> weight;  // per tap

    int Count(int position) const {
        const auto next = static_cast<std::size_t>(position) + 1;
        return (next < first.size() ? first[next] : static_cast<int>(source.size())) -
               first[static_cast<std::size_t>(position)];
    }
};

AxisFilter MakeFilter(int in, int out) {
    AxisFilter filter;
    const double ratio = static_cast<double>(in) / out;
    const double widen = std::max(1.0, ratio);  // reducing: the filter covers more pixels
    const double support = kLobes * widen;
    std::vector<int> source;
    std::vector<double> weight;
    for (int i = 0; i < out; ++i) {
        const double centre = (i + 0.5) * ratio;
        const int low = static_cast<int>(std::floor(centre - support));
        const int high = static_cast<int>(std::ceil(centre + support));
        source.clear();
        weight.clear();
        double sum = 0;
        for (int j = low; j <= high; ++j) {
            const double w = Lanczos((j + 0.5 - centre) / widen);
            if (w == 0) {
                continue;
            }
            // Beyond the border the edge pixel repeats: its taps add up.
            const int inside = std::clamp(j, 0, in - 1);
            if (!source.empty() && source.back() == inside) {
                weight.back() += w;
            } else {
                source.push_back(inside);
                weight.push_back(w);
            }
            sum += w;
        }
        filter.first.push_back(static_cast<int>(filter.source.size()));
        int total = 0;
        std::size_t largest = 0;
        for (std::size_t t = 0; t < source.size(); ++t) {
            const int fixed = static_cast<int>(std::lround(weight[t] / sum * kWeightOne));
            filter.source.push_back(source[t]);
            filter.weight.push_back(fixed);
            total += fixed;
            if (weight[t] > weight[largest]) {
                largest = t;
            }
        }
        // Rounding leaves the sum a little off; the largest weight absorbs it.
        filter.weight[filter.first.back() + largest] += kWeightOne - total;
    }
    return filter;
}

unsigned char FromFixed(std::int32_t sum) {
    return static_cast<unsigned char>(std::clamp((sum + kWeightOne / 2) >> kWeightBits, 0, 255));
}

// Rows to the new height; every row keeps its width. The sums of a stretch of samples
// stay in registers while the taps are added, a stretch of fixed length so that the
// compiler can use vector instructions.
Raster ResizeRows(const Raster& in, int height) {
    constexpr std::size_t kStretch = 16;
    const AxisFilter filter = MakeFilter(in.height, height);
    const std::size_t stride = static_cast<std::size_t>(in.width) * in.bands;
    Raster out{in.width, height, in.bands, std::vector<unsigned char>(stride * height)};
    std::vector<const unsigned char*> rows;
    for (int y = 0; y < height; ++y) {
        const int first = filter.first[static_cast<std::size_t>(y)];
        const int count = filter.Count(y);
        const int* weights = filter.weight.data() + first;
        rows.clear();
        for (int t = first; t < first + count; ++t) {
            rows.push_back(
                in.samples.data() +
                stride * static_cast<std::size_t>(filter.source[static_cast<std::size_t>(t)]));
        }
        unsigned char* target = out.samples.data() + stride * static_cast<std::size_t>(y);
        std::size_t x = 0;
        for (; x + kStretch <= stride; x += kStretch) {
            std::int32_t sums[kStretch] = {};
            for (int t = 0; t < count; ++t) {
                const unsigned char* row = rows[static_cast<std::size_t>(t)] + x;
                // 16-bit factors let the compiler multiply eight samples at a time.
                const auto w = static_cast<std::int16_t>(weights[t]);
                for (std::size_t k = 0; k < kStretch; ++k) {
                    sums[k] += w * static_cast<std::int16_t>(row[k]);
                }
            }
            for (std::size_t k = 0; k < kStretch; ++k) {
                target[x + k] = FromFixed(sums[k]);
            }
        }
        for (; x < stride; ++x) {
            std::int32_t sum = 0;
            for (int t = 0; t < count; ++t) {
                sum += weights[t] * rows[static_cast<std::size_t>(t)][x];
            }
            target[x] = FromFixed(sum);
        }
    }
    return out;
}

// Rows become columns: the pixel at x, y moves to y, x.
Raster Transpose(const Raster& in) {
    const auto bands = static_cast<std::size_t>(in.bands);
    Raster out{in.height, in.width, in.bands, std::vector<unsigned char>(in.samples.size())};
    for (int y = 0; y < in.height; ++y) {
        const unsigned char* source =
            in.samples.data() + static_cast<std::size_t>(y) * in.width * bands;
        for (int x = 0; x < in.width; ++x) {
            unsigned char* target =
                out.samples.data() + (static_cast<std::size_t>(x) * in.height + y) * bands;
            for (std::size_t band = 0; band < bands; ++band) {
                target[band] = source[x * bands + band];
            }
        }
    }
    return out;
}

}  // namespace

Raster ResizeRaster(const Raster& raster, int width, int height) {
    if (raster.empty() || width < 1 || height < 1) {
        return Raster();
    }
    // Rows first: that pass runs along whole rows and does most of the work of a
    // reduction, leaving the column pass few rows.
    Raster rows = height == raster.height ? raster : ResizeRows(raster, height);
    if (width == raster.width) {
        return rows;
    }
    // Columns the same way, turned into rows and back, which costs less than filtering
    // along each row pixel by pixel. Each step's input goes as soon as it is used, so that
    // no more than two of them are held at once.
    Raster columns = Transpose(rows);
    rows = Raster();
    Raster resized = ResizeRows(columns, width);
    columns = Raster();
    return Transpose(resized);
}

Raster TurnRaster(Raster raster, int orientation) {
    if (orientation < 2 || orientation > 8 || raster.empty()) {
        return raster;
    }
    const int w = raster.width;
    const int h = raster.height;
    const bool sideways = orientation >= 5;
    Raster turned{sideways ? h : w, sideways ? w : h, raster.bands,
                  std::vector<unsigned char>(raster.samples.size())};
    // Where each pixel of the upright picture is stored.
    auto stored = [&](int x, int y) -> std::pair<int, int> {
        switch (orientation) {
            case 2:
                return {w - 1 - x, y};
            case 3:
                return {w - 1 - x, h - 1 - y};
            case 4:
                return {x, h - 1 - y};
            case 5:
                return {y, x};
            case 6:
                return {y, h - 1 - x};
            case 7:
                return {w - 1 - y, h - 1 - x};
            default:  // 8
                return {w - 1 - y, x};
        }
    };
    const auto bands = static_cast<std::size_t>(raster.bands);
    unsigned char* target = turned.samples.data();
    for (int y = 0; y < turned.height; ++y) {
        for (int x = 0; x < turned.width; ++x) {
            const auto [sx, sy] = stored(x, y);
            const unsigned char* pixel =
                raster.samples.data() + (static_cast<std::size_t>(sy) * w + sx) * bands;
            target = std::copy(pixel, pixel + bands, target);
        }
    }
    return turned;
}
