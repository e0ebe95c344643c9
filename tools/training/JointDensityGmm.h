#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace training
{

/** A joint-density Gaussian mixture of source features x and target features y of `dimension`
    values each, in the structure the model package stores: per class k and dimension j a 2 x 2
    covariance block over (x_j, y_j) (source variance, cross covariance, target variance); the
    dimensions are independent of each other within a class. Arrays of K x n values are class
    after class. */
struct JointDensityGmm
{
    int classes = 0;
    int dimension = 0;                    ///< n, the values of x (and of y)
    std::vector<double> weights;          ///< K, summing to 1
    std::vector<double> sourceMeans;      ///< mu_x
    std::vector<double> targetMeans;      ///< mu_y
    std::vector<double> sourceVariances;  ///< Sigma_xx
    std::vector<double> crossCovariances; ///< Sigma_yx
    std::vector<double> targetVariances;  ///< Sigma_yy

    /** Empty parameters of K classes and n dimensions. */
    static JointDensityGmm withSize(int classCount, int dimensionCount);

    /** Index of class k, dimension j in the K x n arrays. */
    std::size_t at(int k, int j) const noexcept
    {
        return static_cast<std::size_t>(k) * static_cast<std::size_t>(dimension) +
               static_cast<std::size_t>(j);
    }

    /** Sigma_yy - Sigma_yx^2 / Sigma_xx: the variance of y_j given x_j in class k. */
    double conditionalVariance(int k, int j) const noexcept
    {
        const std::size_t i = at(k, j);
        return targetVariances[i] - crossCovariances[i] * crossCovariances[i] / sourceVariances[i];
    }

    /** The parameter member bytes: K x (5n + 1) little-endian doubles, the weights, then source
        means, target means, source variances, cross covariances and target variances, each
        group class after class. */
    std::vector<std::uint8_t> toBytes() const;

    /** Parameters read from member bytes of the layout above. Raises TrainingError when the size
        is not a whole number of classes of that dimension. */
    static JointDensityGmm fromBytes(const std::vector<std::uint8_t>& bytes, int dimension);
};

/** Doubles as little-endian bytes. */
std::vector<std::uint8_t> doublesToBytes(const std::vector<double>& values);

} // namespace training
