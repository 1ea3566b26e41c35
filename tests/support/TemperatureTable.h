#pragma once
#include <vector>

// The temperature sensor's resistance ratio (relative to 25 °C) against
// degrees Celsius, -55 to 180 in steps of 5: descending ratio column.
inline std::vector<double> TemperatureRatios() {
  return {97.578, 67.65,  47.538,  33.831,  24.359,  17.753,  13.067,  9.7228,  7.3007,  5.5361,
          4.2332, 3.266,  2.5392,  1.9902,  1.5709,  1.2492,  1,       0.805,   0.65326, 0.5329,
          0.4371, 0.36,   0.299,   0.2493,  0.2088,  0.1757,  0.148,   0.1262,  0.1076,  0.09215,
          0.07922, 0.0683, 0.05924, 0.05153, 0.04492, 0.0392,  0.0343,  0.03018, 0.02665, 0.023594,
          0.0209, 0.0186, 0.0166,  0.01486, 0.01332, 0.01198, 0.01079, 0.00974};
}

inline std::vector<double> TemperatureDegrees() {
  std::vector<double> degrees;
  for (int t = -55; t <= 180; t += 5)
    degrees.push_back(t);
  return degrees;
}
