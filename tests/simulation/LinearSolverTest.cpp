// The linear algebra of the box scheme against results worked out by hand or put back into
// the equations.

#include "simulation/LinearSolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace kemvo {
namespace {

using Rows = std::vector<std::vector<double>>;

Matrix toMatrix(const Rows &rows, double unused = 0.0) {
    Matrix m;
    for (auto &row : m)
        row.fill(unused);
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t j = 0; j < rows[i].size(); ++j)
            m[i][j] = rows[i][j];
    return m;
}

TEST(LinearSolver, InvertsByGaussJordanWithFullPivotingAndTouchesNothingElse) {
    // Inverses by hand (adjugate over determinant); 99 marks storage outside the leading part.
    const std::pair<Rows, Rows> cases[] = {
        {{{0, 1}, {1, 0}}, {{0, 1}, {1, 0}}}, // pivot off the diagonal
        {{{4}}, {{0.25}}},
        {{{4, 7}, {2, 6}}, {{0.6, -0.7}, {-0.2, 0.4}}},                                 // det 10
        {{{0, 2, 1}, {1, 0, 0}, {3, 0, 1}}, {{0, 1, 0}, {0.5, 1.5, -0.5}, {0, -3, 1}}}, // det -2
        {{{1e-15, 0}, {0, 2e-15}}, {{1e15, 0}, {0, 5e14}}}, // entries of 1e-15 still pivot
    };
    for (const auto &[rows, inverse] : cases) {
        Matrix m = toMatrix(rows, 99.0);
        const int order = static_cast<int>(rows.size());
        EXPECT_TRUE(invertMatrix(m, order, [](const std::string &text) { ADD_FAILURE() << text; }));
        for (int i = 0; i < order; ++i)
            for (int j = 0; j < order; ++j)
                EXPECT_NEAR(m[i][j], inverse[i][j], 1e-12 * std::abs(inverse[i][j]) + 1e-15);
        EXPECT_EQ(m[order][0], 99.0);
        EXPECT_EQ(m[0][order], 99.0);
    }
    // Order 5 with the largest entries off the diagonal, so that every pivot step interchanges
    // rows and columns: the product with the original is the identity.
    const Matrix original = toMatrix(
        {{1, 9, 2, 0, 3}, {8, 1, 0, 2, 1}, {0, 2, 1, 7, 0}, {3, 0, 6, 1, 2}, {1, 1, 0, 2, 5}});
    Matrix inverse = original, product{};
    ASSERT_TRUE(invertMatrix(inverse, 5, nullptr));
    multiplyMatrices(original, inverse, 5, 5, 5, product);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            EXPECT_NEAR(product[i][j], i == j ? 1.0 : 0.0, 1e-13);
}

TEST(LinearSolver, SingularMatrixIsReportedAndLeftUnchanged) {
    const Rows cases[] = {
        {{1, 2}, {2, 4}},
        {{0, 0}, {0, 0}},
        {{1e-17, 0}, {0, 1e-17}},          // m + 1 == 1 in double precision: too small to pivot on
        {{2, 1, 1}, {4, 2, 2}, {0, 0, 5}}, // singular after one step
    };
    for (const Rows &rows : cases) {
        Matrix m = toMatrix(rows);
        const Matrix before = m;
        std::vector<std::string> messages;
        EXPECT_FALSE(invertMatrix(m, static_cast<int>(rows.size()),
                                  [&](const std::string &text) { messages.push_back(text); }));
        EXPECT_EQ(messages, std::vector<std::string>{"Error: inverse matrix"});
        EXPECT_EQ(m, before);
    }
    Matrix m{};
    EXPECT_THROW(invertMatrix(m, 6, nullptr), RuntimeError); // beyond the work array
}

TEST(BlockTridiagonalSolver, CoupledBlocksSatisfyEveryEquationOfTheSystem) {
    // Three species, four boxes with chemical couplings, and an electrode relation P c0 = Q c1
    // with a balance row; each species diffuses at its own rate. The solution is put back into
    // each equation.
    using Solver = BlockTridiagonalSolver<3>;
    constexpr int boxes = 4;
    Solver::Coefficients la{}, lb{};
    Solver::Blocks blocks{};
    for (int k = 1; k <= boxes; ++k) {
        for (int s = 0; s < 3; ++s) {
            la[k][s] = (2.0 + 0.5 * k) * (1.0 + s);
            lb[k][s] = (1.0 + 0.25 * k) * (1.0 + s);
            blocks[k][s][s] = 1.0 + la[k][s] + lb[k][s];
        }
        blocks[k][0][0] += 0.3;
        blocks[k][0][2] = -0.7;
        blocks[k][2][0] = -0.3;
        blocks[k][2][2] += 0.7;
    }
    const Solver::Block q = {{{1, 0, 0}, {1, 1, 0}, {0, 0, 1}}};
    const Solver::Block p = {{{1.8, -0.4, 0}, {1, 1, 0}, {0, 0, 1}}};
    Solver::Profile profile{};
    for (int k = 0; k <= boxes + 1; ++k)
        profile[k] = {1.0 - 0.1 * k, 0.05 * k, 0.3};
    const Solver::Profile old = profile;
    Solver solver;
    solver.prepare(boxes, la, lb, blocks, q, nullptr);
    solver.solve(profile, p, nullptr);
    for (int s = 0; s < 3; ++s) {
        double pc0 = 0, qc1 = 0;
        for (int t = 0; t < 3; ++t) {
            pc0 += p[s][t] * profile[0][t];
            qc1 += q[s][t] * profile[1][t];
        }
        EXPECT_NEAR(pc0, qc1, 1e-13) << "electrode row " << s;
        for (int k = 1; k <= boxes; ++k) {
            double lhs = -la[k][s] * profile[k - 1][s] - lb[k][s] * profile[k + 1][s];
            for (int t = 0; t < 3; ++t)
                lhs += blocks[k][s][t] * profile[k][t];
            EXPECT_NEAR(lhs, old[k][s], 1e-13) << "box " << k << " species " << s;
        }
    }
    EXPECT_EQ(profile[boxes + 1], old[boxes + 1]); // the bulk is never changed
}

} // namespace
} // namespace kemvo
