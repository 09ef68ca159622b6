// The five pattern classes of fingerprints, with the frequency each has in the population
// (Henry classes as counted in large collections: loops two thirds, whorls a quarter, arches
// the rest).
#pragma once

#include "engine/synth/SynthRandom.h"

namespace lumo::engine::synth {

enum class FingerClass { Arch, TentedArch, LeftLoop, RightLoop, Whorl };

inline FingerClass randomFingerClass(SynthRandom& random)
{
    const double u = random.uniform();
    if (u < 0.037) return FingerClass::Arch;
    if (u < 0.066) return FingerClass::TentedArch;
    if (u < 0.404) return FingerClass::LeftLoop;
    if (u < 0.721) return FingerClass::RightLoop;
    return FingerClass::Whorl;
}

}  // namespace lumo::engine::synth
