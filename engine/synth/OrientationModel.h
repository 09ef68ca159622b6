// OrientationModel: the ridge flow of a synthetic finger.
//
// A zero-pole model (each core turns the flow by half a turn one way, each delta the other
// way), with singular points placed for the finger's class, a plain arch model for arches, and
// a smooth random wobble that fades near the singular points. Also the finger's shape: the
// area of the image the finger covers. Immutable after construction; any thread.
#pragma once

#include <vector>

#include "engine/synth/FingerClass.h"
#include "engine/synth/SmoothNoise.h"
#include "engine/synth/SynthRandom.h"

namespace lumo::engine::synth {

struct SingularPoint {
    double x = 0, y = 0;
    bool core = true;  // false: delta
};

class OrientationModel {
public:
    OrientationModel(SynthRandom& random, int width, int height);
    OrientationModel(SynthRandom& random, int width, int height, FingerClass fingerClass);

    FingerClass fingerClass() const { return m_class; }
    const std::vector<SingularPoint>& singularPoints() const { return m_points; }

    // Ridge direction at a pixel, radians in [0, pi), measured in image coordinates
    // (x right, y down), so that (cos, sin) is a step along the ridge on screen.
    double orientation(double x, double y) const;

    // Finger shape: > 0 inside the finger, with the value rising to 1 about 20 pixels inside
    // its edge; <= 0 outside.
    double inside(double x, double y) const;
    // Centre of the finger's shape.
    double centreX() const { return m_cx; }
    double centreY() const { return m_cy; }

private:
    void place(SynthRandom& random);

    int m_width, m_height;
    FingerClass m_class;
    std::vector<SingularPoint> m_points;
    SmoothNoise m_wobble;
    double m_wobbleAmount = 0;
    double m_archHeight = 0;
    double m_tilt = 0;
    // Finger shape: an ellipse-like outline centred at (m_cx, m_cy).
    double m_cx = 0, m_cy = 0, m_rx = 0, m_ryTop = 0, m_ryBottom = 0;
};

}  // namespace lumo::engine::synth
