// Splits row work into bands over a few threads; runs inline when threads cannot start.
#pragma once

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace pip {

/// Calls body(begin, end) over [0, rows) in bands of at least minRows rows; returns when all ran.
template <class F>
void ParallelRows(int rows, int minRows, F&& body) {
  unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  int bands = std::max(1, std::min(int(cores), rows / std::max(1, minRows)));
  auto band = [&](int b) { body(int(int64_t(rows) * b / bands), int(int64_t(rows) * (b + 1) / bands)); };
  std::vector<std::thread> threads;
  int started = 1;
  try {
    threads.reserve(size_t(bands));
    for (; started < bands; ++started) threads.emplace_back(band, started);
  } catch (...) {
    // No more threads to be had: the remaining bands run here.
  }
  for (int b = started; b < bands; ++b) band(b);
  band(0);
  for (std::thread& t : threads) t.join();
}

}  // namespace pip
