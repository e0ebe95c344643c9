// The engine evaluates its recurrences (frequency warping, the MLSA filter, class scores) in a
// reordered form that runs faster. These tests hold it to the plain textbook form, operation for
// operation: the results must be bit-identical, not merely close.

#include "engine/FEAT_CLASS.h"
#include "engine/GMMMAP.h"
#include "engine/MemoryFile.h"

#include "models/SyntheticModels.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace
{
std::vector<double> warpCepstrumPlain(const std::vector<double>& c1, int m1, int m2, double a)
{
    std::vector<double> g(m2 + 1, 0.0);
    std::vector<double> d(m2 + 1, 0.0);
    const double b = 1.0 - a * a;
    for (int k = m1; k >= 0; --k)
    {
        d[0] = g[0];
        g[0] = c1[k] + a * d[0];
        if (m2 >= 1)
        {
            d[1] = g[1];
            g[1] = b * d[0] + a * d[1];
        }
        for (int j = 2; j <= m2; ++j)
        {
            d[j] = g[j];
            g[j] = d[j - 1] + a * (d[j] - g[j - 1]);
        }
    }
    return g;
}

std::vector<double> warpAutocorrelationPlain(const std::vector<double>& c1, int m1, int m2, double a)
{
    std::vector<double> g(m2 + 1, 0.0);
    std::vector<double> d(m2 + 1, 0.0);
    for (int k = m1; k >= 0; --k)
    {
        d[0] = g[0];
        g[0] = c1[k];
        for (int j = 1; j <= m2; ++j)
        {
            d[j] = g[j];
            g[j] = d[j - 1] + a * (d[j] - g[j - 1]);
        }
    }
    return g;
}

/** The MLSA filter as written: two stages, Pade order 5, coefficients moving per sample. */
class PlainMlsa
{
public:
    PlainMlsa(int order, double alpha, int shift)
        : m(order), a(alpha), period(shift), c(order + 1), target(order + 1), increment(order + 1),
          d(3 * 6 + 5 * (order + 2), 0.0)
    {
    }

    int frame(const double* x, const double* mc, double* y)
    {
        target[m] = mc[m];
        for (int i = m - 1; i >= 0; --i)
            target[i] = mc[i] - a * target[i + 1];
        if (!started)
        {
            c = target;
            started = true;
            return 0;
        }
        for (int i = 0; i <= m; ++i)
            increment[i] = (target[i] - c[i]) * 1.0 / period;
        for (int s = 0; s < period; ++s)
        {
            y[s] = sample(x[s]);
            for (int i = 0; i <= m; ++i)
                c[i] += increment[i];
        }
        c = target;
        return period;
    }

private:
    double fir(double u, double* f)
    {
        const double aa = 1.0 - a * a;
        f[0] = u;
        f[1] = aa * f[0] + a * f[1];
        double y = 0.0;
        for (int i = 2; i <= m; ++i)
        {
            f[i] = f[i] + a * (f[i + 1] - f[i - 1]);
            y += f[i] * c[i];
        }
        for (int i = m + 1; i > 1; --i)
            f[i] = f[i - 1];
        return y;
    }

    double sample(double x)
    {
        const double A[6] = {1.0, 0.4999391, 0.1107098, 0.01369984, 0.0009564853, 0.00003041721};
        const double aa = 1.0 - a * a;
        double* d1 = d.data();
        double* t1 = d1 + 6;
        double out = 0.0;
        for (int i = 5; i >= 1; --i)
        {
            d1[i] = aa * t1[i - 1] + a * d1[i];
            t1[i] = d1[i] * c[1];
            const double v = t1[i] * A[i];
            x += (i & 1) ? v : -v;
            out += v;
        }
        t1[0] = x;
        x = out + x;
        double* f = d.data() + 12;
        double* t2 = f + 5 * (m + 2);
        out = 0.0;
        for (int i = 5; i >= 1; --i)
        {
            t2[i] = fir(t2[i - 1], f + (i - 1) * (m + 2));
            const double v = t2[i] * A[i];
            x += (i & 1) ? v : -v;
            out += v;
        }
        t2[0] = x;
        return out + x;
    }

    int m;
    double a;
    int period;
    bool started = false;
    std::vector<double> c, target, increment, d;
};

TEST(RecurrenceExactness, FrequencyWarpingIsBitIdenticalToThePlainRecurrence)
{
    FEAT_CLASS analysis(1024, 60, 44100, 20, 5, 0.5);
    std::mt19937 random(17);
    std::normal_distribution<double> normal(0.0, 1.0);
    struct Case
    {
        int m1, m2;
        double a;
    };
    // The sizes the analysis uses, and odd ones around the loop's blocking.
    const Case cases[] = {{512, 60, 0.5}, {60, 512, -0.5}, {512, 120, 0.5}, {256, 24, 0.42}, {24, 256, -0.42},
                          {0, 5, 0.3},    {5, 0, 0.3},     {1, 1, 0.7},     {2, 3, -0.2},    {7, 9, 0.45},
                          {13, 2, 0.1},   {3, 17, 0.9},    {100, 101, 0.5}, {101, 100, -0.5}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.m1) + " -> " + std::to_string(c.m2));
        std::vector<double> c1(c.m1 + 1);
        for (double& v : c1)
            v = normal(random);
        std::vector<double> out(c.m2 + 1);
        analysis.warpCepstrum(c1.data(), c.m1, out.data(), c.m2, c.a);
        EXPECT_EQ(out, warpCepstrumPlain(c1, c.m1, c.m2, c.a));
        analysis.warpAutocorrelation(c1.data(), c.m1, out.data(), c.m2, c.a);
        EXPECT_EQ(out, warpAutocorrelationPlain(c1, c.m1, c.m2, c.a));
    }
}

TEST(RecurrenceExactness, SynthesisFilterIsBitIdenticalToThePlainFilter)
{
    struct Case
    {
        int order;
        double alpha;
        double sampleRate;
    };
    for (const Case c : {Case{60, 0.5, 44100}, Case{24, 0.42, 16000}, Case{65, 0.5, 48000},
                         Case{2, 0.3, 16000}, Case{1, 0.3, 16000}})
    {
        SCOPED_TRACE(c.order);
        FEAT_CLASS analysis(512, c.order, c.sampleRate, 25, 5, c.alpha);
        const int shift = static_cast<int>(analysis.frameShift);
        PlainMlsa plain(c.order, c.alpha, shift);
        std::mt19937 random(c.order);
        std::normal_distribution<double> normal(0.0, 1.0);
        std::vector<double> mc(c.order + 1);
        std::vector<double> x(shift);
        std::vector<double> fast(shift);
        std::vector<double> expected(shift);
        for (int frame = 0; frame < 40; ++frame)
        {
            for (int i = 0; i <= c.order; ++i)
                mc[i] = 0.3 * normal(random) / (1 + i);
            for (double& v : x)
                v = 10000.0 * normal(random);
            ASSERT_EQ(analysis.synthesizeFrame(x.data(), mc.data(), fast.data()),
                      plain.frame(x.data(), mc.data(), expected.data()));
            if (frame > 0)
            {
                ASSERT_EQ(fast, expected) << "frame " << frame;
            }
        }
    }
}

TEST(RecurrenceExactness, ClassScoresAreTheirPlainSums)
{
    for (const int classes : {1, 3, 8, 32, 37, 128})
    {
        SCOPED_TRACE(classes);
        const int m = 24;
        const int n = 2 * m;
        const auto g = test_models::randomGmm(m, classes, 99);
        const MemoryFile parameters(g.bytes());
        const MemoryFile windows(test_models::deltaWindows());
        GMMMAP map(m, 3, parameters.name(), windows.name());
        const PreparedGmm& p = map.prepared();
        std::mt19937 random(classes);
        std::normal_distribution<double> normal(0.0, 0.3);
        for (int trial = 0; trial < 50; ++trial)
        {
            std::vector<double> x(n);
            for (double& v : x)
                v = normal(random);
            std::int64_t best = 0;
            double bestScore = -HUGE_VAL;
            for (int k = 0; k < classes; ++k)
            {
                double sum = 0.0;
                for (int j = 0; j < n; ++j)
                {
                    const double diff = x[j] - p.sourceMean[k * n + j];
                    sum += p.sourcePrecision[k * n + j] * (diff * diff);
                }
                const double score = p.logWeight[k] - 0.5 * sum;
                if (score > bestScore)
                {
                    bestScore = score;
                    best = k;
                }
            }
            EXPECT_EQ(map.bestClass(x.data()), best);
        }
    }
}

} // namespace
