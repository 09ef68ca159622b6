// Named overrides of the tuning parameters for experiments: --set enhance.alongSigma=5
// (generated from the parameter structs; an unknown name is an error).
#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "engine/extract/ExtractParams.h"
#include "engine/match/MatchParams.h"

namespace lumo::bench {

struct Settings {
    engine::ExtractParams extract;
    engine::MatchParams match;
};

inline void applySetting(Settings& s, const std::string& assignment) {
    static const std::map<std::string, std::function<void(Settings&, double)>> setters = {
    {"contrast.radius", [](Settings& s, double v) { s.extract.contrast.radius = static_cast<int>(v); }},
    {"contrast.minSpread", [](Settings& s, double v) { s.extract.contrast.minSpread = static_cast<float>(v); }},
    {"contrast.clip", [](Settings& s, double v) { s.extract.contrast.clip = static_cast<float>(v); }},
    {"orientation.tensorRadius", [](Settings& s, double v) { s.extract.orientation.tensorRadius = static_cast<int>(v); }},
    {"orientation.smoothRadius", [](Settings& s, double v) { s.extract.orientation.smoothRadius = static_cast<int>(v); }},
    {"orientation.wideSmoothRadius", [](Settings& s, double v) { s.extract.orientation.wideSmoothRadius = static_cast<int>(v); }},
    {"orientation.noisyCoherence", [](Settings& s, double v) { s.extract.orientation.noisyCoherence = static_cast<float>(v); }},
    {"orientation.clearCoherence", [](Settings& s, double v) { s.extract.orientation.clearCoherence = static_cast<float>(v); }},
    {"orientation.preSmoothPasses", [](Settings& s, double v) { s.extract.orientation.preSmoothPasses = static_cast<int>(v); }},
    {"segmentation.blockSize", [](Settings& s, double v) { s.extract.segmentation.blockSize = static_cast<int>(v); }},
    {"segmentation.windowRadius", [](Settings& s, double v) { s.extract.segmentation.windowRadius = static_cast<int>(v); }},
    {"segmentation.minSpread", [](Settings& s, double v) { s.extract.segmentation.minSpread = static_cast<float>(v); }},
    {"segmentation.relativeSpread", [](Settings& s, double v) { s.extract.segmentation.relativeSpread = static_cast<float>(v); }},
    {"segmentation.minCoherence", [](Settings& s, double v) { s.extract.segmentation.minCoherence = static_cast<float>(v); }},
    {"segmentation.smoothingPasses", [](Settings& s, double v) { s.extract.segmentation.smoothingPasses = static_cast<int>(v); }},
    {"segmentation.closingRadius", [](Settings& s, double v) { s.extract.segmentation.closingRadius = static_cast<int>(v); }},
    {"frequency.blockSize", [](Settings& s, double v) { s.extract.frequency.blockSize = static_cast<int>(v); }},
    {"frequency.across", [](Settings& s, double v) { s.extract.frequency.across = static_cast<int>(v); }},
    {"frequency.along", [](Settings& s, double v) { s.extract.frequency.along = static_cast<int>(v); }},
    {"frequency.minPeriod", [](Settings& s, double v) { s.extract.frequency.minPeriod = static_cast<float>(v); }},
    {"frequency.maxPeriod", [](Settings& s, double v) { s.extract.frequency.maxPeriod = static_cast<float>(v); }},
    {"frequency.defaultPeriod", [](Settings& s, double v) { s.extract.frequency.defaultPeriod = static_cast<float>(v); }},
    {"frequency.minPeak", [](Settings& s, double v) { s.extract.frequency.minPeak = static_cast<float>(v); }},
    {"enhance.alongRadius", [](Settings& s, double v) { s.extract.enhance.alongRadius = static_cast<int>(v); }},
    {"enhance.alongSigma", [](Settings& s, double v) { s.extract.enhance.alongSigma = static_cast<float>(v); }},
    {"enhance.acrossRadius", [](Settings& s, double v) { s.extract.enhance.acrossRadius = static_cast<int>(v); }},
    {"enhance.acrossSigmaPerPeriod", [](Settings& s, double v) { s.extract.enhance.acrossSigmaPerPeriod = static_cast<float>(v); }},
    {"enhance.angleSteps", [](Settings& s, double v) { s.extract.enhance.angleSteps = static_cast<int>(v); }},
    {"enhance.periodStep", [](Settings& s, double v) { s.extract.enhance.periodStep = static_cast<float>(v); }},
    {"binarize.minRidgeArea", [](Settings& s, double v) { s.extract.binarize.minRidgeArea = static_cast<int>(v); }},
    {"binarize.minValleyArea", [](Settings& s, double v) { s.extract.binarize.minValleyArea = static_cast<int>(v); }},
    {"minutiae.directionLength", [](Settings& s, double v) { s.extract.minutiae.directionLength = static_cast<int>(v); }},
    {"minutiae.traceLength", [](Settings& s, double v) { s.extract.minutiae.traceLength = static_cast<int>(v); }},
    {"filter.borderMargin", [](Settings& s, double v) { s.extract.filter.borderMargin = static_cast<float>(v); }},
    {"filter.spurLength", [](Settings& s, double v) { s.extract.filter.spurLength = static_cast<int>(v); }},
    {"filter.shortRidgeLength", [](Settings& s, double v) { s.extract.filter.shortRidgeLength = static_cast<int>(v); }},
    {"filter.bridgeLength", [](Settings& s, double v) { s.extract.filter.bridgeLength = static_cast<int>(v); }},
    {"filter.breakDistance", [](Settings& s, double v) { s.extract.filter.breakDistance = static_cast<float>(v); }},
    {"filter.breakAngle", [](Settings& s, double v) { s.extract.filter.breakAngle = static_cast<float>(v); }},
    {"filter.minDistance", [](Settings& s, double v) { s.extract.filter.minDistance = static_cast<float>(v); }},
    {"filter.clusterRadius", [](Settings& s, double v) { s.extract.filter.clusterRadius = static_cast<int>(v); }},
    {"filter.clusterCount", [](Settings& s, double v) { s.extract.filter.clusterCount = static_cast<int>(v); }},
    {"filter.minCoherence", [](Settings& s, double v) { s.extract.filter.minCoherence = static_cast<float>(v); }},
    {"filter.maxMinutiae", [](Settings& s, double v) { s.extract.filter.maxMinutiae = static_cast<int>(v); }},
    {"quality.minArea", [](Settings& s, double v) { s.extract.quality.minArea = static_cast<float>(v); }},
    {"quality.minEmptyArea", [](Settings& s, double v) { s.extract.quality.minEmptyArea = static_cast<float>(v); }},
    {"quality.minContrast", [](Settings& s, double v) { s.extract.quality.minContrast = static_cast<float>(v); }},
    {"quality.minClearFraction", [](Settings& s, double v) { s.extract.quality.minClearFraction = static_cast<float>(v); }},
    {"quality.clearCoherence", [](Settings& s, double v) { s.extract.quality.clearCoherence = static_cast<float>(v); }},
    {"quality.minMinutiae", [](Settings& s, double v) { s.extract.quality.minMinutiae = static_cast<int>(v); }},
    {"match.neighbours", [](Settings& s, double v) { s.match.neighbours = static_cast<int>(v); }},
    {"match.maxEdgeLength", [](Settings& s, double v) { s.match.maxEdgeLength = static_cast<float>(v); }},
    {"match.edgeLengthTolerance", [](Settings& s, double v) { s.match.edgeLengthTolerance = static_cast<float>(v); }},
    {"match.edgeLengthRelative", [](Settings& s, double v) { s.match.edgeLengthRelative = static_cast<float>(v); }},
    {"match.edgeAngleTolerance", [](Settings& s, double v) { s.match.edgeAngleTolerance = static_cast<float>(v); }},
    {"match.hashLengthStep", [](Settings& s, double v) { s.match.hashLengthStep = static_cast<float>(v); }},
    {"match.hashAngleBins", [](Settings& s, double v) { s.match.hashAngleBins = static_cast<int>(v); }},
    {"match.seeds", [](Settings& s, double v) { s.match.seeds = static_cast<int>(v); }},
    {"match.minSeedVotes", [](Settings& s, double v) { s.match.minSeedVotes = static_cast<int>(v); }},
    {"match.maxRotationDrift", [](Settings& s, double v) { s.match.maxRotationDrift = static_cast<float>(v); }},
    {"match.minSupport", [](Settings& s, double v) { s.match.minSupport = static_cast<int>(v); }},
    {"match.maxResidual", [](Settings& s, double v) { s.match.maxResidual = static_cast<float>(v); }},
    {"match.treeShare", [](Settings& s, double v) { s.match.treeShare = static_cast<float>(v); }},
    {"match.alignedRadius", [](Settings& s, double v) { s.match.alignedRadius = static_cast<float>(v); }},
    {"match.alignedAngle", [](Settings& s, double v) { s.match.alignedAngle = static_cast<float>(v); }},
    {"match.alignedWeight", [](Settings& s, double v) { s.match.alignedWeight = static_cast<float>(v); }},
    {"match.qualityWeighting", [](Settings& s, double v) { s.match.qualityWeighting = static_cast<float>(v); }},
    {"match.hullMargin", [](Settings& s, double v) { s.match.hullMargin = static_cast<float>(v); }},
    {"match.minOverlapCount", [](Settings& s, double v) { s.match.minOverlapCount = static_cast<int>(v); }},
    {"match.fullPairCount", [](Settings& s, double v) { s.match.fullPairCount = static_cast<float>(v); }},
    {"match.scoreScale", [](Settings& s, double v) { s.match.scoreScale = static_cast<float>(v); }},
    };
    const auto eq = assignment.find('=');
    if (eq == std::string::npos) throw std::runtime_error("--set needs NAME=VALUE, got " + assignment);
    const auto it = setters.find(assignment.substr(0, eq));
    if (it == setters.end()) throw std::runtime_error("unknown parameter " + assignment.substr(0, eq));
    it->second(s, std::stod(assignment.substr(eq + 1)));
}

}  // namespace lumo::bench
