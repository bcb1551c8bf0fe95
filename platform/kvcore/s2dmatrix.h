// S2DMatrix: a 3 x 3 homogeneous matrix of doubles, row-major
// (row 0 = scale x, shear, translation x; row 1 = shear, scale y,
// translation y; row 2 the homogeneous row), and the vector it transforms.
#pragma once

struct S2DVector {
  double x = 0.0;
  double y = 0.0;
  double w = 1.0;
  S2DVector() = default;
  S2DVector(double x_, double y_, double w_ = 1.0) : x(x_), y(y_), w(w_) {}
  bool operator==(const S2DVector&) const = default;
};

class S2DMatrix {
 public:
  S2DMatrix() { SetIdentity(); }
  S2DMatrix(double m00, double m01, double m02, double m10, double m11, double m12, double m20 = 0.0,
            double m21 = 0.0, double m22 = 1.0);

  void SetIdentity();
  bool IsIdentity() const;
  // Every entry is a finite number (no NaN, no infinity): only such a
  // matrix maps coordinates onto coordinates.
  bool IsFinite() const;
  double Get(int row, int col) const { return m_m[row][col]; }
  void Set(int row, int col, double v) { m_m[row][col] = v; }
  double* operator[](int row) { return m_m[row]; }
  const double* operator[](int row) const { return m_m[row]; }

  // The matrix times the column vector (x, y, w); the result is not divided by w.
  S2DVector Transform(const S2DVector& v) const;
  // Matrix product: (a * b) applies b first, then a.
  friend S2DMatrix operator*(const S2DMatrix& a, const S2DMatrix& b);
  S2DMatrix& operator*=(const S2DMatrix& other) { return *this = *this * other; }
  bool operator==(const S2DMatrix& other) const;
  // The inverse; false (and this matrix left unchanged) when it is singular
  // or not finite, or when its inverse would not be finite.
  bool Invert();

 protected:
  double m_m[3][3];
};
