// The matrix inversion of the box scheme against inverses worked out by hand. The block
// tridiagonal solver is checked by every digital simulation against its closed form.

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

} // namespace
} // namespace kemvo
