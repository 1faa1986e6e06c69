#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// A figure derived from the measured times: the ratio of two benchmarks of the same run, or one
// benchmark's time in milliseconds when `denominator` is empty.
struct Figure {
  std::string what;
  std::string numerator;
  std::string denominator;
  enum class Goal { kNone, kAtMost, kAtLeast } goal = Goal::kNone;
  double bound = 0;
};

// The console report, which also keeps each benchmark's real time per iteration in
// milliseconds: the median of the repetitions when there are several, else the single run.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;

  // Prints every figure whose benchmarks ran, with its goal and whether it is met. Returns the
  // number of goals missed.
  int PrintFigures(std::FILE* out, const std::vector<Figure>& figures) const;

 private:
  std::map<std::string, double> milliseconds_;
};
