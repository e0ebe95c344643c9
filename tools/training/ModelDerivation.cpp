#include "tools/training/ModelDerivation.h"

#include "tools/training/TrainingError.h"

#include <algorithm>
#include <cmath>

namespace training
{

JointDensityGmm intraSpeakerGmm(const JointDensityGmm& joint)
{
    JointDensityGmm intra = joint;
    for (int k = 0; k < joint.classes; ++k)
        for (int j = 0; j < joint.dimension; ++j)
        {
            const std::size_t i = joint.at(k, j);
            const double d = std::max(joint.conditionalVariance(k, j), 1e-300);
            intra.targetMeans[i] = joint.sourceMeans[i];
            intra.crossCovariances[i] = joint.sourceVariances[i];
            intra.targetVariances[i] = joint.sourceVariances[i] + d;
        }
    return intra;
}

JointDensityGmm differenceGmm(const JointDensityGmm& joint)
{
    JointDensityGmm difference = joint;
    for (int k = 0; k < joint.classes; ++k)
        for (int j = 0; j < joint.dimension; ++j)
        {
            const std::size_t i = joint.at(k, j);
            difference.targetMeans[i] = joint.targetMeans[i] - joint.sourceMeans[i];
            difference.crossCovariances[i] = joint.crossCovariances[i] - joint.sourceVariances[i];
            difference.targetVariances[i] =
                joint.targetVariances[i] - 2.0 * joint.crossCovariances[i] + joint.sourceVariances[i];
        }
    return difference;
}

GlobalVariance measureGlobalVariance(const std::vector<FrameMatrix>& utterances, std::size_t firstColumn,
                                     std::size_t columnCount)
{
    GlobalVariance gv;
    gv.mean.assign(columnCount, 0.0);
    gv.variance.assign(columnCount, 0.0);
    std::size_t used = 0;
    std::size_t frames = 0;
    for (const FrameMatrix& u : utterances)
    {
        if (u.rows < 2)
            continue;
        if (firstColumn + columnCount > u.columns)
            throw TrainingError("an utterance lacks the feature columns for the global variance");
        for (std::size_t c = 0; c < columnCount; ++c)
        {
            double sum = 0.0;
            for (std::size_t r = 0; r < u.rows; ++r)
                sum += u.at(r, firstColumn + c);
            const double mean = sum / static_cast<double>(u.rows);
            double squares = 0.0;
            for (std::size_t r = 0; r < u.rows; ++r)
            {
                const double e = u.at(r, firstColumn + c) - mean;
                squares += e * e;
            }
            gv.variance[c] += squares / static_cast<double>(u.rows);
            gv.mean[c] += sum;
        }
        ++used;
        frames += u.rows;
    }
    if (used == 0)
        throw TrainingError("no utterance long enough to measure the global variance");
    for (std::size_t c = 0; c < columnCount; ++c)
    {
        gv.variance[c] /= static_cast<double>(used);
        gv.mean[c] /= static_cast<double>(frames);
    }
    return gv;
}

std::vector<std::uint8_t> GvPostFilter::toBytes() const
{
    std::vector<double> all = scale;
    all.insert(all.end(), offset.begin(), offset.end());
    return doublesToBytes(all);
}

GvPostFilter derivePostFilter(const GlobalVariance& target, const GlobalVariance& converted,
                              double maximumScale)
{
    if (target.variance.size() != converted.variance.size() ||
        converted.mean.size() != converted.variance.size())
        throw TrainingError("global variance statistics of different sizes");
    GvPostFilter filter;
    for (std::size_t i = 0; i < converted.variance.size(); ++i)
    {
        const double ratio =
            converted.variance[i] > 0.0 ? std::sqrt(target.variance[i] / converted.variance[i]) : 1.0;
        const double r =
            std::clamp(std::isfinite(ratio) ? ratio : 1.0, 0.1, std::clamp(maximumScale, 1.0, 10.0));
        filter.scale.push_back(r);
        filter.offset.push_back((1.0 - r) * converted.mean[i]);
    }
    return filter;
}

} // namespace training
