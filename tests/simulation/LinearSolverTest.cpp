#include "simulation/LinearSolver.h"
#include "simulation/LargerSmaller.h"

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

struct InversionCase {
    const char *name;
    Rows matrix;
    Rows inverse; // worked out by hand (adjugate over determinant)
};

TEST(LinearSolver, InvertsByGaussJordanWithFullPivoting) {
    const std::vector<InversionCase> cases = {
        {"identity of order 3",
         {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
         {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
        {"exchange matrix, pivot off the diagonal", {{0, 1}, {1, 0}}, {{0, 1}, {1, 0}}},
        {"order 1", {{4}}, {{0.25}}},
        {"general 2 x 2, det 10", {{4, 7}, {2, 6}}, {{0.6, -0.7}, {-0.2, 0.4}}},
        {"zero diagonal, det -2",
         {{0, 2, 1}, {1, 0, 0}, {3, 0, 1}},
         {{0, 1, 0}, {0.5, 1.5, -0.5}, {0, -3, 1}}},
        {"entries of 1e-15 still count as a pivot",
         {{1e-15, 0}, {0, 2e-15}},
         {{1e15, 0}, {0, 5e14}}},
    };
    for (const InversionCase &c : cases) {
        SCOPED_TRACE(c.name);
        Matrix m = toMatrix(c.matrix, 99.0);
        int messages = 0;
        const int order = static_cast<int>(c.matrix.size());
        EXPECT_TRUE(invertMatrix(m, order, [&](const std::string &) { ++messages; }));
        EXPECT_EQ(messages, 0);
        for (int i = 0; i < order; ++i)
            for (int j = 0; j < order; ++j)
                EXPECT_NEAR(m[i][j], c.inverse[i][j], 1e-12 * std::abs(c.inverse[i][j]) + 1e-15);
        // Entries outside the leading part are storage the inversion must not touch.
        EXPECT_EQ(m[order][0], 99.0);
        EXPECT_EQ(m[0][order], 99.0);
    }
}

TEST(LinearSolver, InverseOfOrderFiveTimesMatrixIsIdentity) {
    // A matrix whose largest entries lie off the diagonal, so every pivot step interchanges
    // rows and columns; the product with the original must give the identity.
    const Rows rows = {
        {1, 9, 2, 0, 3}, {8, 1, 0, 2, 1}, {0, 2, 1, 7, 0}, {3, 0, 6, 1, 2}, {1, 1, 0, 2, 5}};
    const Matrix original = toMatrix(rows);
    Matrix inverse = original;
    ASSERT_TRUE(invertMatrix(inverse, 5, nullptr));
    Matrix product{};
    multiplyMatrices(original, inverse, 5, 5, 5, product);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 5; ++j)
            EXPECT_NEAR(product[i][j], i == j ? 1.0 : 0.0, 1e-13);
}

TEST(LinearSolver, SingularMatrixIsReportedAndLeftUnchanged) {
    const std::vector<std::pair<const char *, Rows>> cases = {
        {"rank one", {{1, 2}, {2, 4}}},
        {"zero", {{0, 0}, {0, 0}}},
        // m + 1 == 1 in double precision: too small to pivot on.
        {"negligible pivot", {{1e-17, 0}, {0, 1e-17}}},
        {"singular after one step", {{2, 1, 1}, {4, 2, 2}, {0, 0, 5}}},
    };
    for (const auto &[name, rows] : cases) {
        SCOPED_TRACE(name);
        Matrix m = toMatrix(rows);
        const Matrix before = m;
        std::vector<std::string> messages;
        EXPECT_FALSE(invertMatrix(m, static_cast<int>(rows.size()),
                                  [&](const std::string &text) { messages.push_back(text); }));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], "Error: inverse matrix");
        EXPECT_EQ(m, before);
    }
}

TEST(LinearSolver, OrderBeyondTheWorkArrayIsOutOfRange) {
    Matrix m{};
    EXPECT_THROW(invertMatrix(m, 6, nullptr), RuntimeError);
}

TEST(LinearSolver, ProductOfRectangularParts) {
    // [1 2 3; 4 5 6] times [7 8; 9 10; 11 12] = [58 64; 139 154], by hand.
    const Matrix left = toMatrix({{1, 2, 3}, {4, 5, 6}});
    const Matrix right = toMatrix({{7, 8}, {9, 10}, {11, 12}});
    Matrix result = toMatrix({{-1, -1, -1}, {-1, -1, -1}, {-1, -1, -1}});
    multiplyMatrices(left, right, 2, 3, 2, result);
    EXPECT_EQ(result[0][0], 58.0);
    EXPECT_EQ(result[0][1], 64.0);
    EXPECT_EQ(result[1][0], 139.0);
    EXPECT_EQ(result[1][1], 154.0);
    EXPECT_EQ(result[2][2], -1.0); // outside the product
}

TEST(LinearSolver, LargerAndSmallerReturnTheSecondArgumentOnTies) {
    EXPECT_EQ(larger(2.0, 2.5), 2.5);
    EXPECT_EQ(larger(2.5, 2.0), 2.5);
    EXPECT_EQ(smaller(-1.0, 0.0), -1.0);
    EXPECT_EQ(smaller(0.0, -1.0), -1.0);
    // +0 and -0 compare equal, so the sign of the result shows which argument came back.
    EXPECT_TRUE(std::signbit(larger(0.0, -0.0)));
    EXPECT_FALSE(std::signbit(larger(-0.0, 0.0)));
    EXPECT_TRUE(std::signbit(smaller(0.0, -0.0)));
    EXPECT_FALSE(std::signbit(smaller(-0.0, 0.0)));
}

TEST(LinearSolver, OneSpeciesWithoutCouplingIsTheTridiagonalDiffusionSystem) {
    // Two boxes, la = (1, 2), lb = (3, 4), B_k = 1 + la + lb, old profile 0, bulk 1, and
    // P = Q = 1 so c0 = c1. By hand: 4 c1 - 3 c2 = 0 and -2 c1 + 7 c2 = 4, so c2 = 8/11 and
    // c1 = c0 = 6/11.
    using Solver = BlockTridiagonalSolver<1>;
    Solver::Coefficients la{}, lb{};
    la[1] = 1;
    la[2] = 2;
    lb[1] = 3;
    lb[2] = 4;
    Solver::Blocks blocks{};
    blocks[1] = {{{5.0}}};
    blocks[2] = {{{7.0}}};
    Solver solver;
    solver.prepare(2, la, lb, blocks, {{{1.0}}}, nullptr);
    Solver::Profile profile{};
    profile[3] = {1.0};
    solver.solve(profile, {{{1.0}}}, nullptr);
    EXPECT_NEAR(profile[2][0], 8.0 / 11.0, 1e-15);
    EXPECT_NEAR(profile[1][0], 6.0 / 11.0, 1e-15);
    EXPECT_NEAR(profile[0][0], 6.0 / 11.0, 1e-15);
    EXPECT_EQ(profile[3][0], 1.0); // the bulk is never changed
}

TEST(LinearSolver, CoupledBlocksSatisfyEveryEquationOfTheSystem) {
    // Three species, four boxes with chemical couplings, and an electrode relation with a
    // balance row: the solution is put back into each equation.
    using Solver = BlockTridiagonalSolver<3>;
    constexpr int boxes = 4;
    Solver::Coefficients la{}, lb{};
    Solver::Blocks blocks{};
    for (int k = 1; k <= boxes; ++k) {
        la[k] = 2.0 + 0.5 * k;
        lb[k] = 1.0 + 0.25 * k;
        const double d = 1.0 + la[k] + lb[k];
        blocks[k] = {{{d + 0.3, 0.0, -0.7}, {0.0, d, 0.0}, {-0.3, 0.0, d + 0.7}}};
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
            double lhs = -la[k] * profile[k - 1][s] - lb[k] * profile[k + 1][s];
            for (int t = 0; t < 3; ++t)
                lhs += blocks[k][s][t] * profile[k][t];
            EXPECT_NEAR(lhs, old[k][s], 1e-13) << "box " << k << " species " << s;
        }
    }
}

} // namespace
} // namespace kemvo
