// Verification error rates from genuine and impostor scores (higher score = more alike,
// accepted when score >= threshold), as in the FVC reports.
#pragma once

#include <vector>

namespace lumo::bench {

struct ErrorRates {
    double eer = 0, eerLow = 0, eerHigh = 0;
    double fmr100 = 0, fmr1000 = 0, zeroFmr = 0;
    double fmrAt(double threshold) const;
    double fnmrAt(double threshold) const;
    std::vector<double> genuine, impostor;  // sorted
};

ErrorRates computeRates(std::vector<double> genuine, std::vector<double> impostor);

}  // namespace lumo::bench
