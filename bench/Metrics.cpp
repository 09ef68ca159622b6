#include "Metrics.h"

#include <algorithm>
#include <limits>

namespace lumo::bench {

double ErrorRates::fmrAt(double t) const {
    const auto it = std::lower_bound(impostor.begin(), impostor.end(), t);
    return impostor.empty() ? 0.0 : static_cast<double>(impostor.end() - it) / impostor.size();
}

double ErrorRates::fnmrAt(double t) const {
    const auto it = std::lower_bound(genuine.begin(), genuine.end(), t);
    return genuine.empty() ? 0.0 : static_cast<double>(it - genuine.begin()) / genuine.size();
}

ErrorRates computeRates(std::vector<double> genuine, std::vector<double> impostor) {
    ErrorRates r;
    std::sort(genuine.begin(), genuine.end());
    std::sort(impostor.begin(), impostor.end());
    r.genuine = std::move(genuine);
    r.impostor = std::move(impostor);
    if (r.genuine.empty() || r.impostor.empty()) return r;
    std::vector<double> ts(r.genuine);
    ts.insert(ts.end(), r.impostor.begin(), r.impostor.end());
    std::sort(ts.begin(), ts.end());
    ts.erase(std::unique(ts.begin(), ts.end()), ts.end());
    ts.push_back(ts.back() + 1.0);
    struct Point {
        double t, fmr, fnmr;
    };
    std::vector<Point> curve;
    for (double t : ts) curve.push_back({t, r.fmrAt(t), r.fnmrAt(t)});
    // FVC definition of the EER (t1 = last threshold with FNMR <= FMR, t2 = first with FNMR >= FMR).
    const Point* t1 = nullptr;
    const Point* t2 = nullptr;
    for (const Point& p : curve) {
        if (p.fnmr <= p.fmr && (!t1 || p.t > t1->t)) t1 = &p;
        if (p.fnmr >= p.fmr && (!t2 || p.t < t2->t)) t2 = &p;
    }
    if (t1 && t2) {
        if (t1->fnmr + t1->fmr <= t2->fmr + t2->fnmr) {
            r.eerLow = t1->fnmr;
            r.eerHigh = t1->fmr;
        } else {
            r.eerLow = t2->fmr;
            r.eerHigh = t2->fnmr;
        }
        r.eer = (r.eerLow + r.eerHigh) / 2;
    }
    auto fnmrWithFmrAtMost = [&](double x) {
        double best = 1.0;
        for (const Point& p : curve)
            if (p.fmr <= x + 1e-12) best = std::min(best, p.fnmr);
        return best;
    };
    r.fmr100 = fnmrWithFmrAtMost(0.01);
    r.fmr1000 = fnmrWithFmrAtMost(0.001);
    r.zeroFmr = fnmrWithFmrAtMost(0.0);
    return r;
}

}  // namespace lumo::bench
