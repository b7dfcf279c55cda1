#include "Erreur.h"
#include "point3.h"
#include "vector3.h"
#include "support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

using tarnis_test::captureStderr;

namespace {
std::vector<double> xyz(const vector3 &v)
{
    return {v.x, v.y, v.z};
}
} // namespace

TEST(Point3, ArithmeticIsCoordinateWiseAndPrinting)
{
    point3 a(1, 2, 3), b(0.5, -1, 4);
    EXPECT_EQ(a + b, point3(1.5, 1, 7));
    EXPECT_EQ(a - b, point3(0.5, 3, -1));
    point3 c = a, d(4, 6, 8);
    EXPECT_EQ(c += b, point3(1.5, 1, 7));
    EXPECT_EQ(c, point3(1.5, 1, 7));
    EXPECT_FALSE(point3(0, 0, 1) == point3(0, 0, 0));
    EXPECT_EQ(point3(4, 6, 8) / 2, point3(2, 3, 4));
    EXPECT_EQ(d /= 4, point3(1, 1.5, 2));
    EXPECT_EQ(d, point3(1, 1.5, 2));

    std::ostringstream s;
    s << point3(1, 2.5, -3) << point3(1.0 / 3, 1e-7, 123456789);
    EXPECT_EQ(s.str(), "(1, 2.5,-3)(0.333333, 1e-07,1.23457e+08)");
}

TEST(Geometrie, DivisionByZeroIsReportedAndLeavesTheValue)
{
    auto message = [](const std::string &operation) {
        return "ERREUR: Operation:" + operation + ". Division par 0 (reel), operation impossible.\n";
    };
    point3 r, p(4, 6, 8);
    vector3 v(1, 2, 3);
    EXPECT_EQ(captureStderr([&] { r = point3(4, 6, 8) / 0.0; }), message("point3/reel"));
    EXPECT_EQ(captureStderr([&] { p /= -0.0; }), message("point3/=reel"));
    EXPECT_EQ(captureStderr([&] { v /= 0.0; }), message("vector3/=reel"));
    EXPECT_TRUE(r == point3(4, 6, 8) && p == point3(4, 6, 8));
    EXPECT_EQ(xyz(v), (std::vector<double>{1, 2, 3}));

    // A NaN divisor is not zero: no message, NaN coordinates.
    EXPECT_EQ(captureStderr([&] { r = point3(1, 2, 3) / std::nan(""); }), "");
    EXPECT_TRUE(std::isnan(r.x) && std::isnan(r.y) && std::isnan(r.z));
}

TEST(Vector3, ConstructionProductsAndNorm)
{
    EXPECT_EQ(xyz(vector3(point3(1, 1, 1), point3(2, 3, 4))), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(xyz(vector3(1, 0, 0) ^ vector3(0, 1, 0)), (std::vector<double>{0, 0, 1}));
    vector3 c(2, 3, 4);
    EXPECT_EQ(xyz(c ^= vector3(5, 6, 7)), (std::vector<double>{-3, 6, -3})); // (3*7-4*6, 4*5-2*7, 2*6-3*5)
    EXPECT_EQ(vector3(1, 2, 3) * vector3(4, 5, 6), 32.0);
    EXPECT_EQ(vector3(3, 0, 4).norme(), 5.0);
    EXPECT_EQ(xyz(vector3(1, 2, 3) + vector3(-1, 1, 0.5)), (std::vector<double>{0, 3, 3.5}));
    vector3 m = vector3(1, -2, 3) * 2;
    EXPECT_EQ(xyz(m), (std::vector<double>{2, -4, 6}));
    EXPECT_EQ(xyz((m *= 0.5) /= 2), (std::vector<double>{0.5, -1, 1.5}));
    EXPECT_EQ(xyz(m), (std::vector<double>{0.5, -1, 1.5}));
}
