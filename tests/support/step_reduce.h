// Shrinks a failing list of steps to a short one that still fails (delta
// debugging): chunks of the list, then single steps, are left out as long as
// a replay of what remains still fails. `fails` replays a list from a fresh
// start and answers whether it fails; at most `budget` replays are made.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

template <class Step, class Fails>
std::vector<Step> ReduceSteps(std::vector<Step> steps, Fails fails, int budget = 300) {
  std::size_t chunks = 2;
  while (steps.size() > 1 && budget > 0) {
    const std::size_t size = (steps.size() + chunks - 1) / chunks;
    bool shrunk = false;
    for (std::size_t start = 0; start < steps.size() && budget > 0; start += size) {
      std::vector<Step> rest(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(start));
      rest.insert(rest.end(), steps.begin() + static_cast<std::ptrdiff_t>(std::min(start + size, steps.size())),
                  steps.end());
      --budget;
      if (!rest.empty() && fails(rest)) {
        steps = std::move(rest);
        chunks = std::max<std::size_t>(chunks - 1, 2);
        shrunk = true;
        break;
      }
    }
    if (shrunk) continue;
    if (size == 1) break;
    chunks = std::min(chunks * 2, steps.size());
  }
  return steps;
}
