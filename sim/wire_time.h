#pragma once
// How long bytes take on a real cable: ten bits each (start bit, eight data bits,
// stop bit) at the line's baud rate.

namespace zevsim {

inline double wireMs(double bytes, int baud) { return bytes * 10 * 1000.0 / baud; }

}  // namespace zevsim
