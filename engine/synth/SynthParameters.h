// Tuning constants of the synthetic fingerprint generator, with their meaning. Lengths are
// pixels at 500 dpi, angles radians.
#pragma once

namespace lumo::engine::synth {

struct MasterParameters {
    int width = 400;
    int height = 500;
    // Ridge period (ridge plus valley); adult fingers at 500 dpi show 8 to 11 pixels.
    double minPeriod = 8.2;
    double maxPeriod = 10.6;
    // Gabor growth: rounds of filtering and the gain that pushes the field to +-1 each round.
    int growthRounds = 10;
    double growthGain = 1.8;
    // Density of the random starting points of ridges, per pixel. Fewer seeds give longer
    // unbroken ridges and fewer minutiae, but leave patches where no ridges form; this value
    // gives about 90 minutiae per full 400 x 500 print (about 75 in an impression's visible
    // part).
    double seedDensity = 0.0008;
    // Ground truth: minutiae closer than this to each other are the thinning's artefacts
    // (spurs, tiny islands) and are dropped; minutiae closer than this to the finger's
    // edge are not listed.
    double minMinutiaDistance = 9.0;
    double edgeMargin = 14.0;
    // Ground truth: minutiae where the ridge field's mean strength within 5 pixels (0 flat ..
    // 1 fully grown ridges) is below this lie at a patch where no ridges formed, and are dropped.
    double minFieldStrength = 0.5;
};

struct ImpressionParameters {
    // Placement of the finger on the sensor.
    double maxRotation = 0.30;     // about 17 degrees either way
    double maxTranslation = 30.0;  // either way, both axes
    // Skin distortion: displacement at the finger's rim; none at the contact centre.
    double maxDistortion = 7.0;
    // Pressure: -1 very dry (thin, broken ridges) .. +1 very wet (thick, merged ridges).
    double minPressure = -0.7;
    double maxPressure = 0.7;
    // Grey-level noise (standard deviation, grey levels) and the share of prints that are
    // cut by a partial placement on the sensor's edge.
    double maxNoise = 18.0;
    double partialChance = 0.25;
    // Ground truth keeps minutiae at least this far inside the visible print.
    double edgeMargin = 12.0;
};

}  // namespace lumo::engine::synth
