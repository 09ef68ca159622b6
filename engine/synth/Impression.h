// Impression: one press of a synthetic finger on a 500 dpi sensor, with its ground truth.
//
// Taken from a master finger with a seed: the finger is rotated and shifted on the sensor,
// its skin stretched (no stretch at the contact centre, most at the rim), pressed dry or wet
// (thin broken ridges or thick merged ones), cut to the contact area (sometimes only part of
// the finger touches), and the picture gets sensor noise and a slight blur. The ground truth
// is the master's minutiae carried through the same placement and stretch, keeping those
// that lie well inside the visible print. Deterministic by seed. Value type.
#pragma once

#include <QImage>
#include <cstdint>

#include "engine/synth/MasterFingerprint.h"
#include "engine/synth/SynthParameters.h"
#include "engine/template/FeatureSet.h"

namespace lumo::engine::synth {

struct Impression {
    QImage image;          // QImage::Format_Grayscale8, master's size, 500 dpi
    FeatureSet minutiae;   // ground truth in image coordinates (qualities 100)
    double rotation = 0;   // turn of the finger on the sensor, radians
    double shiftX = 0, shiftY = 0;
    double pressure = 0;   // -1 dry .. +1 wet
    bool partial = false;

    static Impression take(const MasterFingerprint& master, std::uint64_t seed,
                           const ImpressionParameters& params = {});
};

}  // namespace lumo::engine::synth
