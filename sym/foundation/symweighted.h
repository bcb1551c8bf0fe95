// SWeighted: a value with a weight, as the crossings of lines are kept (the
// crossing point and its position along the line) and handed to the canvas
// that draws line bridges.
#pragma once

template <class T, class W>
struct SWeighted {
  T m_value{};
  W m_weight{};
  SWeighted() = default;
  SWeighted(const T& value, W weight) : m_value(value), m_weight(weight) {}
  bool operator==(const SWeighted&) const = default;
};
