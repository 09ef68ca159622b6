// The ground-truth file written beside each synthetic impression: JSON with the image's
// name and size, the placement of the finger, and the true minutiae in the image's pixel
// coordinates, directions in radians as FeatureSet.h defines them.
//
// {"image":"1_1.png","finger":1,"impression":1,"class":"whorl","width":400,"height":500,
//  "resolution":500,"rotation":0.1,"shift":[3.5,-2],"pressure":-0.2,"partial":false,
//  "minutiae":[{"x":120,"y":88,"angle":1.5708,"type":"ending"}, ...]}
#pragma once

#include <string>

#include "engine/synth/FingerClass.h"
#include "engine/synth/Impression.h"

namespace lumo::engine::synth {

const char* fingerClassName(FingerClass fingerClass);

std::string groundTruthJson(const Impression& impression, const std::string& imageName, int finger,
                            int impressionNumber, FingerClass fingerClass);

}  // namespace lumo::engine::synth
