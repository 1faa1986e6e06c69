#include "RatioReport.h"

namespace {

double ToMilliseconds(double time, benchmark::TimeUnit unit) {
  switch (unit) {
    case benchmark::kNanosecond:
      return time / 1e6;
    case benchmark::kMicrosecond:
      return time / 1e3;
    case benchmark::kMillisecond:
      return time;
    case benchmark::kSecond:
      return time * 1e3;
  }
  return time;
}

}  // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    if (run.run_type == Run::RT_Iteration || median) {
      const std::string& name = run.run_name.function_name;
      // Iterations come before their aggregates, so a median replaces a single run.
      if (median || milliseconds_.count(name) == 0 || run.repetitions <= 1) {
        milliseconds_[name] = ToMilliseconds(run.GetAdjustedRealTime(), run.time_unit);
      }
    }
  }
  ConsoleReporter::ReportRuns(runs);
}

int RatioReporter::PrintFigures(std::FILE* out, const std::vector<Figure>& figures) const {
  int missed = 0;
  std::fprintf(out, "\n%-58s %10s  %-10s %s\n", "Figure", "Value", "Goal", "Met");
  for (const Figure& figure : figures) {
    const auto numerator = milliseconds_.find(figure.numerator);
    const auto denominator = milliseconds_.find(figure.denominator);
    if (numerator == milliseconds_.end()) continue;
    const bool ratio = !figure.denominator.empty();
    if (ratio && (denominator == milliseconds_.end() || denominator->second <= 0)) continue;
    const double value = ratio ? numerator->second / denominator->second : numerator->second;
    const char* unit = ratio ? "x" : "ms";
    char goal[32] = "-";
    const char* met = "";
    if (figure.goal != Figure::Goal::kNone) {
      const bool atMost = figure.goal == Figure::Goal::kAtMost;
      std::snprintf(goal, sizeof goal, "%s %.4g%s", atMost ? "<=" : ">=", figure.bound, unit);
      const bool ok = atMost ? value <= figure.bound : value >= figure.bound;
      met = ok ? "yes" : "NO";
      missed += !ok;
    }
    std::fprintf(out, "%-58s %9.3f%-2s %-10s %s\n", figure.what.c_str(), value, unit, goal, met);
  }
  return missed;
}
