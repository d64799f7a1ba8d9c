#pragma once

// The summary lines benchmarks print for their goals, one per figure, all
// starting with "figure:" so that bench/run-all can gather them:
//   figure: NAME  VALUE UNIT  baseline: BASELINE VALUE UNIT  xRATIO  goal: ...  met
// A ratio goal bounds VALUE / BASELINE; a limit goal bounds VALUE itself.

#include <cstdio>

inline void printFigureLine(const char *name, double value, const char *unit, const char *baselineName,
                            double baseline, const char *goal, bool met)
{
    std::printf("figure: %-44s %10.2f %-3s baseline: %-30s %10.2f %-3s x%6.2f  goal: %-12s %s\n", name,
                value, unit, baselineName, baseline, unit, baseline > 0 ? value / baseline : 0.0, goal,
                met ? "met" : "NOT MET");
}

// VALUE at most maxRatio times the baseline.
inline bool printRatioFigure(const char *name, double value, const char *unit, const char *baselineName,
                             double baseline, double maxRatio)
{
    char goal[32];
    std::snprintf(goal, sizeof goal, "x <= %.2f", maxRatio);
    const bool met = baseline > 0 && value <= maxRatio * baseline;
    printFigureLine(name, value, unit, baselineName, baseline, goal, met);
    return met;
}

// VALUE at least floor (in the same unit), the baseline shown for scale.
inline bool printFloorFigure(const char *name, double value, const char *unit, const char *baselineName,
                             double baseline, double floor)
{
    char goal[32];
    std::snprintf(goal, sizeof goal, ">= %.0f", floor);
    const bool met = value >= floor;
    printFigureLine(name, value, unit, baselineName, baseline, goal, met);
    return met;
}

// VALUE at most limit (in the same unit), the baseline shown for scale.
inline bool printLimitFigure(const char *name, double value, const char *unit, const char *baselineName,
                             double baseline, double limit)
{
    char goal[32];
    std::snprintf(goal, sizeof goal, "<= %.0f %s", limit, unit);
    const bool met = value <= limit;
    printFigureLine(name, value, unit, baselineName, baseline, goal, met);
    return met;
}
