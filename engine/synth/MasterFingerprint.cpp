#include "engine/synth/MasterFingerprint.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/synth/RidgeMinutiae.h"
#include "engine/synth/SmoothNoise.h"

namespace lumo::engine::synth {

namespace {

constexpr double kPi = std::numbers::pi;
// Gabor bank: orientations over half a turn and ridge periods over the parameter range.
constexpr int kAngleBins = 24;
constexpr int kPeriodBins = 6;
constexpr int kRadius = 6;
constexpr int kSide = 2 * kRadius + 1;

struct GaborBank {
    // Taps of kernel (angle, period): kSide * kSide floats, row-major, offset by kRadius.
    std::vector<float> taps;
    const float* kernel(int angle, int period) const
    {
        return taps.data() + (static_cast<std::size_t>(angle) * kPeriodBins + period) * kSide * kSide;
    }
};

GaborBank makeBank(double minPeriod, double maxPeriod)
{
    GaborBank bank;
    bank.taps.resize(static_cast<std::size_t>(kAngleBins) * kPeriodBins * kSide * kSide);
    for (int a = 0; a < kAngleBins; ++a)
        for (int p = 0; p < kPeriodBins; ++p) {
            const double theta = (a + 0.5) * kPi / kAngleBins;
            const double period = minPeriod + (maxPeriod - minPeriod) * (p + 0.5) / kPeriodBins;
            // Smoothing along the ridge joins it up; across it, the cosine keeps the period.
            const double sigmaAlong = 0.55 * period;
            const double sigmaAcross = 0.32 * period;
            const double ux = std::cos(theta), uy = std::sin(theta);
            float* k = bank.taps.data() + (static_cast<std::size_t>(a) * kPeriodBins + p) * kSide * kSide;
            std::vector<double> envelope(kSide * kSide), wave(kSide * kSide);
            double sumK = 0, sumE = 0;
            for (int dy = -kRadius; dy <= kRadius; ++dy)
                for (int dx = -kRadius; dx <= kRadius; ++dx) {
                    const int i = (dy + kRadius) * kSide + dx + kRadius;
                    if (dx * dx + dy * dy > (kRadius + 0.5) * (kRadius + 0.5)) continue;
                    const double along = dx * ux + dy * uy;
                    const double across = -dx * uy + dy * ux;
                    envelope[i] = std::exp(-along * along / (2 * sigmaAlong * sigmaAlong) -
                                           across * across / (2 * sigmaAcross * sigmaAcross));
                    wave[i] = std::cos(2 * kPi * across / period);
                    sumK += envelope[i] * wave[i];
                    sumE += envelope[i];
                }
            // Zero mean, so that flat areas do not grow; unit gain for a ridge wave.
            double response = 0;
            std::vector<double> kk(kSide * kSide);
            for (int i = 0; i < kSide * kSide; ++i) {
                kk[i] = envelope[i] * wave[i] - envelope[i] * sumK / sumE;
                response += kk[i] * wave[i];
            }
            for (int i = 0; i < kSide * kSide; ++i) k[i] = static_cast<float>(kk[i] / response);
        }
    return bank;
}

}  // namespace

MasterFingerprint::MasterFingerprint(std::uint64_t seed, const MasterParameters& params)
    : m_width(params.width),
      m_height(params.height),
      m_random(seed),
      m_model(m_random, params.width, params.height)
{
}

MasterFingerprint MasterFingerprint::generate(std::uint64_t seed, const MasterParameters& params)
{
    MasterFingerprint f(seed, params);
    const int w = f.m_width, h = f.m_height;
    SynthRandom& random = f.m_random;
    const SmoothNoise periodNoise(random, 200, 500);
    const double periodCentre = random.uniform(0.3, 0.7);

    // Per pixel: which kernel, and whether the pixel is grown at all.
    const int pw = w + 2 * kRadius;
    std::vector<std::int32_t> kernelOf(static_cast<std::size_t>(w) * h, -1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (f.m_model.inside(x, y) < -0.4) continue;
            const double theta = f.m_model.orientation(x, y);
            const double u = std::clamp(periodCentre + 0.35 * periodNoise.at(x, y), 0.0, 0.999);
            const int a = static_cast<int>(theta / kPi * kAngleBins) % kAngleBins;
            const int p = static_cast<int>(u * kPeriodBins);
            kernelOf[y * w + x] = a * kPeriodBins + p;
        }
    const GaborBank bank = makeBank(params.minPeriod, params.maxPeriod);

    // Padded fields, so that the filter never tests its bounds.
    std::vector<float> current(static_cast<std::size_t>(pw) * (h + 2 * kRadius), 0.0f);
    std::vector<float> next = current;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (kernelOf[y * w + x] >= 0 && random.chance(params.seedDensity))
                current[(y + kRadius) * pw + x + kRadius] = random.chance(0.5) ? 1.0f : -1.0f;

    const float gain = static_cast<float>(params.growthGain);
    for (int round = 0; round < params.growthRounds; ++round) {
        // Early rounds spread the seeds, so their small responses need a large gain.
        const float g = round < 6 ? gain * 8.0f : gain;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const int kIndex = kernelOf[y * w + x];
                const std::size_t centre = static_cast<std::size_t>(y + kRadius) * pw + x + kRadius;
                if (kIndex < 0) {
                    next[centre] = 0.0f;
                    continue;
                }
                const float* k = bank.kernel(kIndex / kPeriodBins, kIndex % kPeriodBins);
                const float* c = current.data() + centre - kRadius * pw - kRadius;
                float sum = 0.0f;
                for (int row = 0; row < kSide; ++row, k += kSide, c += pw)
                    for (int i = 0; i < kSide; ++i) sum += k[i] * c[i];
                next[centre] = std::clamp(sum * g, -1.0f, 1.0f);
            }
        }
        current.swap(next);
    }

    f.m_ridges.assign(static_cast<std::size_t>(w) * h, 0.0f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f.m_ridges[y * w + x] = current[(y + kRadius) * pw + x + kRadius];

    const OrientationModel& model = f.m_model;
    f.m_minutiae = ridgeMinutiae(f.m_ridges, w, h, [&model](double x, double y) { return model.inside(x, y); },
                                 params);
    return f;
}

float MasterFingerprint::ridgeAt(double x, double y) const
{
    if (!(x >= 0 && y >= 0 && x <= m_width - 1 && y <= m_height - 1)) return 0.0f;
    const int x0 = std::min(static_cast<int>(x), m_width - 2 < 0 ? 0 : m_width - 2);
    const int y0 = std::min(static_cast<int>(y), m_height - 2 < 0 ? 0 : m_height - 2);
    const double fx = x - x0, fy = y - y0;
    auto v = [&](int xx, int yy) {
        return m_ridges[static_cast<std::size_t>(std::min(yy, m_height - 1)) * m_width + std::min(xx, m_width - 1)];
    };
    return static_cast<float>((1 - fy) * ((1 - fx) * v(x0, y0) + fx * v(x0 + 1, y0)) +
                              fy * ((1 - fx) * v(x0, y0 + 1) + fx * v(x0 + 1, y0 + 1)));
}

}  // namespace lumo::engine::synth
