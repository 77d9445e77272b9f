#pragma once
// The order in which the runs of an imported drawing are written: starting with the first
// run, forwards, each next run is the one whose first or last point lies nearest to where the
// previous run ended (taken backwards when its last point is the nearer). Ties go to the run
// read earlier, and for one run to its first point. The distance is measured in single
// precision from double-precision differences.
//
// A uniform grid over the run ends keeps each search local, so a drawing of a hundred
// thousand runs chains in well under a second instead of comparing every pair.
#include <cstddef>
#include <vector>

#include "import/import_path.h"

struct ChainLink {
    std::size_t run = 0;     // index into the runs given
    bool backwards = false;  // written from its last point to its first
    float gapAfter = 0;      // distance to the next run's start; infinite after the last run
};

// Distance between two points as the chaining measures it.
float ChainDistance(const ImportPoint& a, const ImportPoint& b);

// Chains `runs`, none of which may be empty.
std::vector<ChainLink> ChainRuns(const std::vector<ImportPath>& runs);
