// Least-squares polynomial of a profile, y as a polynomial of x.

#include "VelaProfile.h"

#include <cmath>

namespace VelaMath {

namespace {

constexpr int maxDegree = 50;
constexpr double minPivot = 1e-100;

double power(double x, int k)
{
    double result = 1.0;
    while (k > 0) {
        if (k & 1)
            result *= x;
        x *= x;
        k >>= 1;
    }
    return result;
}

} // namespace

bool VelaProfile::calcPolynomCoeffs(int degree, double* coeffs)
{
    if (degree < 0 || degree > maxDegree || !coeffs)
        return false;
    const int m = degree + 1;

    // Power sums S[k] = sum x^k (k up to 2 degree) and T[k] = sum y x^k.
    double s[2 * maxDegree + 1] = {};
    double t[maxDegree + 1] = {};
    for (const VelaPointXY& p : points) {
        double xk = 1.0;
        for (int k = 0; k <= 2 * degree; ++k) {
            s[k] += xk;
            if (k <= degree)
                t[k] += double(p.y) * xk;
            xk *= p.x;
        }
    }

    // Normal equations sum_j S[i + j] c[j] = T[i], eliminated in the given row order.
    double a[maxDegree + 1][maxDegree + 2];
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j < m; ++j)
            a[i][j] = s[i + j];
        a[i][m] = t[i];
    }
    for (int col = 0; col < m; ++col) {
        const double pivot = a[col][col];
        if (!(std::fabs(pivot) >= minPivot))
            return false;
        for (int row = col + 1; row < m; ++row) {
            const double factor = a[row][col] / pivot;
            for (int j = col; j <= m; ++j)
                a[row][j] -= factor * a[col][j];
        }
    }
    for (int i = m - 1; i >= 0; --i) {
        double sum = a[i][m];
        for (int j = i + 1; j < m; ++j)
            sum -= a[i][j] * coeffs[j];
        coeffs[i] = sum / a[i][i];
    }
    return true;
}

bool VelaProfile::polynomFit(int degree)
{
    double coeffs[maxDegree + 1];
    if (!calcPolynomCoeffs(degree, coeffs))
        return false;
    for (VelaPointXY& p : points) {
        double y = 0.0;
        for (int k = 0; k <= degree; ++k)
            y += coeffs[k] * power(p.x, k);
        p.y = float(y);
    }
    return true;
}

} // namespace VelaMath
