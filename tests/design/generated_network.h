#pragma once
// A generated 3D network of rows × columns points on a gently undulating
// grid: every point is a station with directions, zenith angles and slope
// distances to its neighbours, a few gyro directions, and fixed corner
// points (or none, for a free network).
#include <cmath>

#include "core/survey_network.h"

namespace kd::design::test {

inline SurveyNetwork GeneratedNetwork(int rows, int cols, bool fixedCorners = true, double spacing = 60.0) {
  SurveyNetwork net;
  net.Points.ScSvpMode = ScSvpMode::None;
  auto number = [cols](int r, int c) { return static_cast<double>(1000 + r * cols + c); };
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      NetworkPoint p;
      p.Number = number(r, c);
      p.X = 1000.0L + r * spacing + 3.0 * std::sin(0.7 * c);
      p.Y = 2000.0L + c * spacing + 2.0 * std::cos(0.9 * r);
      p.Z = 300.0L + 4.0 * std::sin(0.3 * r + 0.2 * c);
      p.Fixed = fixedCorners && ((r == 0 && c == 0) || (r == rows - 1 && c == cols - 1) ||
                                 (r == 0 && c == cols - 1));
      net.Points.List.Items.push_back(p);
    }
  MeasurementList &m = net.Measurements;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const int dr[3] = {1, 0, 1}, dc[3] = {0, 1, 1};
      for (int k = 0; k < 3; ++k) {
        const int r2 = r + dr[k], c2 = c + dc[k];
        if (r2 >= rows || c2 >= cols) continue;
        m.AddMeasurement(mtDi, 0.0003, number(r2, c2), number(r, c));
        m.AddMeasurement(mtDi, 0.0003, number(r, c), number(r2, c2));
        m.AddMeasurement(mtZu, 0.0003, number(r2, c2), number(r, c));
        if (k < 2) m.AddMeasurement(mtSd, 0.002, number(r2, c2), number(r, c));
      }
    }
  if (fixedCorners && rows > 2 && cols > 2) {
    m.AddMeasurement(mtGd, 0.0005, number(1, 2), number(1, 1));
    m.AddMeasurement(mtGd, 0.0005, number(rows - 2, cols - 3), number(rows - 2, cols - 2));
  }
  return net;
}

}  // namespace kd::design::test
