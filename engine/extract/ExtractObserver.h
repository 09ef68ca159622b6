// ExtractObserver: sees every intermediate result of extract().
//
// Override the stages of interest; defaults do nothing. extract() calls the observer
// synchronously on its own thread; the references are valid only during the call. With no
// observer nothing is copied or rendered.
#pragma once

#include <vector>

#include "engine/extract/DetectedMinutia.h"
#include "engine/extract/OrientationField.h"
#include "engine/extract/Plane.h"
#include "engine/image/GrayImage.h"
#include "engine/template/FeatureSet.h"

namespace lumo::engine {

class ExtractObserver {
public:
    virtual ~ExtractObserver() = default;
    virtual void onInput(const GrayImage&) {}
    virtual void onNormalized(const FloatPlane&) {}       // about -2.5..2.5, ridges positive
    virtual void onOrientation(const OrientationField&) {}
    virtual void onMask(const Mask&) {}
    virtual void onPeriod(const FloatPlane&) {}           // ridge period, pixels
    virtual void onEnhanced(const FloatPlane&) {}         // ridges positive
    virtual void onBinary(const BytePlane&) {}            // 1 = ridge
    virtual void onSkeleton(const BytePlane&) {}          // 1 = ridge centre line
    virtual void onDetected(const std::vector<DetectedMinutia>&) {}  // before filtering
    virtual void onFiltered(const std::vector<DetectedMinutia>&) {}  // after filtering
    virtual void onFeatures(const FeatureSet&) {}
};

}  // namespace lumo::engine
