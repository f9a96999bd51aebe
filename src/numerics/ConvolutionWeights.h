#pragma once
// Convolution of a sampled function with a kernel, by product integration: the function is
// taken as linear between its nodes t_j = j dt and each interval is integrated exactly against
// the kernel, so the rule is exact for a piecewise-linear function and centred in each
// interval. The weights are the product-trapezoid weights of Diethelm, Ford and Freed
// (Nonlinear Dyn. 29 (2002) 3), in the form of a convolution with any kernel whose
// antiderivatives are known. With the kernel 1/sqrt(pi t) the convolution is the
// Riemann-Liouville semi-integral; the sweep's integral equations take the diffusion kernels of
// the plane, the sphere, the microdisc and the catalytic layer.

#include <functional>
#include <vector>

namespace kemvo {

// a[0]*b[0] + ... + a[length-1]*b[length-1].
double dotProduct(const double *a, const double *b, int length);

class ConvolutionWeights {
public:
    // K1 and K2: the first and second antiderivatives of the kernel, both 0 at t = 0, for
    // the nodes 0..nodes-1 of step dt [s].
    ConvolutionWeights(int nodes, double dt, const std::function<double(double)> &K1,
                       const std::function<double(double)> &K2);
    // The same from the antiderivatives tabulated at the nodes: K1[m] and K2[m] at m dt for
    // m = 0..last, last >= 1 (the weights serve the nodes 0..last).
    ConvolutionWeights(double dt, const std::vector<double> &K1, const std::vector<double> &K2);
    // The kernel 1/sqrt(pi t) of the semi-integral.
    static ConvolutionWeights semiIntegral(int nodes, double dt);

    // Weight of the value at node k - m in the convolution at node k, for 0 <= m < k (the
    // first node excepted): the integral of the kernel against the hat function of that node.
    double hat(int m) const { return reversed_[static_cast<std::size_t>(last_ - m)]; }
    // Weight of the value at the first node (t = 0) in the convolution at node k >= 1.
    double first(int k) const { return first_[static_cast<std::size_t>(k)]; }
    // sum over j = 1..k-1 of hat(k - j) y[j]: the part of the convolution at node k carried by
    // the nodes strictly between the first and the k-th.
    double history(const std::vector<double> &y, int k) const;
    // The whole convolution at node k of the values y[0..k].
    double at(const std::vector<double> &y, int k) const;

private:
    int last_ = 0;
    std::vector<double> reversed_; // reversed_[last_ - m] = hat(m)
    std::vector<double> first_;
};

} // namespace kemvo
