#include "kvcore/s2dmatrix.h"

#include <cmath>

S2DMatrix::S2DMatrix(double m00, double m01, double m02, double m10, double m11, double m12, double m20,
                     double m21, double m22)
    : m_m{{m00, m01, m02}, {m10, m11, m12}, {m20, m21, m22}} {}

void S2DMatrix::SetIdentity() {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m_m[r][c] = r == c ? 1.0 : 0.0;
}

bool S2DMatrix::IsIdentity() const { return *this == S2DMatrix(); }

bool S2DMatrix::IsFinite() const {
  for (const auto& row : m_m)
    for (double v : row)
      if (!std::isfinite(v)) return false;
  return true;
}

S2DVector S2DMatrix::Transform(const S2DVector& v) const {
  return {m_m[0][0] * v.x + m_m[0][1] * v.y + m_m[0][2] * v.w, m_m[1][0] * v.x + m_m[1][1] * v.y + m_m[1][2] * v.w,
          m_m[2][0] * v.x + m_m[2][1] * v.y + m_m[2][2] * v.w};
}

S2DMatrix operator*(const S2DMatrix& a, const S2DMatrix& b) {
  S2DMatrix r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double s = 0.0;
      for (int k = 0; k < 3; ++k) s += a.m_m[i][k] * b.m_m[k][j];
      r.m_m[i][j] = s;
    }
  return r;
}

bool S2DMatrix::operator==(const S2DMatrix& o) const {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      if (m_m[r][c] != o.m_m[r][c]) return false;
  return true;
}

bool S2DMatrix::Invert() {
  const auto& m = m_m;
  const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
  const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
  const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
  const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
  if (det == 0.0 || !std::isfinite(det) || !IsFinite()) return false;
  S2DMatrix r;
  r.m_m[0][0] = c00 / det;
  r.m_m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
  r.m_m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
  r.m_m[1][0] = c01 / det;
  r.m_m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
  r.m_m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
  r.m_m[2][0] = c02 / det;
  r.m_m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
  r.m_m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
  if (!r.IsFinite()) return false;  // a determinant so small that the inverse overflows
  *this = r;
  return true;
}
