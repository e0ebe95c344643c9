#include "tools/training/JointDensityGmm.h"

#include "tools/training/TrainingError.h"

#include <cstring>
#include <string>

namespace training
{

JointDensityGmm JointDensityGmm::withSize(int classCount, int dimensionCount)
{
    JointDensityGmm gmm;
    gmm.classes = classCount;
    gmm.dimension = dimensionCount;
    const auto values = static_cast<std::size_t>(classCount) * static_cast<std::size_t>(dimensionCount);
    gmm.weights.assign(static_cast<std::size_t>(classCount), 0.0);
    gmm.sourceMeans.assign(values, 0.0);
    gmm.targetMeans.assign(values, 0.0);
    gmm.sourceVariances.assign(values, 1.0);
    gmm.crossCovariances.assign(values, 0.0);
    gmm.targetVariances.assign(values, 1.0);
    return gmm;
}

std::vector<std::uint8_t> doublesToBytes(const std::vector<double>& values)
{
    std::vector<std::uint8_t> bytes(values.size() * 8);
    for (std::size_t i = 0; i < values.size(); ++i)
    {
        std::uint64_t u;
        std::memcpy(&u, &values[i], 8);
        for (int b = 0; b < 8; ++b)
            bytes[i * 8 + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(u >> (8 * b));
    }
    return bytes;
}

std::vector<std::uint8_t> JointDensityGmm::toBytes() const
{
    std::vector<double> all;
    all.reserve(weights.size() + 5 * sourceMeans.size());
    for (const auto* group :
         {&weights, &sourceMeans, &targetMeans, &sourceVariances, &crossCovariances, &targetVariances})
        all.insert(all.end(), group->begin(), group->end());
    return doublesToBytes(all);
}

JointDensityGmm JointDensityGmm::fromBytes(const std::vector<std::uint8_t>& bytes, int dimensionCount)
{
    const std::size_t perClass = 5 * static_cast<std::size_t>(dimensionCount) + 1;
    const std::size_t doubles = bytes.size() / 8;
    if (dimensionCount < 1 || bytes.size() % 8 != 0 || doubles == 0 || doubles % perClass != 0)
        throw TrainingError("GMM parameters of " + std::to_string(bytes.size()) +
                            " bytes are not whole classes of dimension " + std::to_string(dimensionCount));
    JointDensityGmm gmm = withSize(static_cast<int>(doubles / perClass), dimensionCount);
    std::size_t at = 0;
    for (auto* group : {&gmm.weights, &gmm.sourceMeans, &gmm.targetMeans, &gmm.sourceVariances,
                        &gmm.crossCovariances, &gmm.targetVariances})
        for (double& value : *group)
        {
            std::uint64_t u = 0;
            for (int b = 0; b < 8; ++b)
                u |= static_cast<std::uint64_t>(bytes[at * 8 + static_cast<std::size_t>(b)]) << (8 * b);
            std::memcpy(&value, &u, 8);
            ++at;
        }
    return gmm;
}

} // namespace training
