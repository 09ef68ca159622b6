// ExtractParams: every tuning constant of minutiae extraction, with its default.
//
// Lengths are pixels at 500 dpi (the working resolution; one ridge period is 8..12 pixels
// there), angles are radians. Defaults are sound for contact sensors at 500 dpi; a caller
// changes single fields, e.g. `ExtractParams p; p.filter.borderMargin = 8;`. Plain data.
#pragma once

namespace lumo::engine {

struct ContrastParams {
    // Half side of the window of the local mean and spread. About three ridge periods: large
    // enough to hold ridges and valleys, small enough to follow pressure changes.
    int radius = 15;
    // Spread (grey levels) below which a window counts as flat; keeps noise in empty
    // background from being amplified to full contrast.
    float minSpread = 4.0f;
    // Normalised values are clipped to +-clip spreads (specks and scars do not dominate).
    float clip = 2.5f;
};

struct OrientationParams {
    // Half side of the window averaging the gradient tensor (about two ridge periods). The
    // tensor is kept per 2 x 2 pixel cell, so the radii below are rounded up to even numbers.
    int tensorRadius = 8;
    // Half side of the second, larger smoothing of the orientation vectors (bridges scars,
    // creases and noise).
    int smoothRadius = 12;
    // Where the flow is unclear (coherence below clearCoherence, fully below noisyCoherence)
    // the orientation is blended with a further smoothing of this half side.
    int wideSmoothRadius = 12;
    float noisyCoherence = 0.5f;
    float clearCoherence = 0.8f;
    // 3 x 3 box blurs of the image before taking gradients (2 passes ~ Gaussian sigma 1.2).
    int preSmoothPasses = 2;
};

struct SegmentationParams {
    int blockSize = 8;            // mask is decided per block of this side
    int windowRadius = 10;        // half side of the window measuring a block's spread
    // A block is print when its spread exceeds both an absolute floor (grey levels) and a
    // fraction of the spread of the clearest print blocks (90th percentile).
    float minSpread = 7.0f;
    float relativeSpread = 0.28f;
    // ...and its ridge flow is at least this coherent (not noise). Kept low: blocks of dotted or
    // pored ridges near the edge of a print fall below 0.12, and an image of uniform noise
    // passes 0.12 as well (the quality check refuses it for unclear flow).
    float minCoherence = 0.06f;
    int smoothingPasses = 2;      // majority votes over 3 x 3 blocks, to close ragged edges
    int closingRadius = 2;        // blocks; closes notches and gaps in the print's outline
};

struct FrequencyParams {
    int blockSize = 16;           // period is measured per block of this side
    int across = 22;              // half length of the profile across the ridges
    int along = 6;                // half width averaged along the ridges
    float minPeriod = 5.0f;       // plausible ridge periods at 500 dpi, pixels
    float maxPeriod = 15.0f;
    float defaultPeriod = 9.0f;   // used when no block gives a clear period
    float minPeak = 0.25f;        // autocorrelation peak (relative) for a block to count
};

struct EnhanceParams {
    int alongRadius = 11;         // taps along the ridge on each side
    float alongSigma = 7.0f;      // Gaussian smoothing along the ridge
    int acrossRadius = 8;         // taps across the ridge on each side
    float acrossSigmaPerPeriod = 0.42f;  // Gaussian across the ridge, in ridge periods
    int angleSteps = 32;          // orientations in the filter bank (over pi)
    float periodStep = 0.5f;      // period resolution of the filter bank, pixels
};

struct BinarizeParams {
    int minRidgeArea = 20;        // smaller ridge specks are dropped (pixels)
    int minValleyArea = 40;       // smaller holes in ridges are filled (sweat pores)
};

struct MinutiaeParams {
    int directionLength = 10;     // ridge is followed this far to find a minutia's direction
    int traceLength = 24;         // longest ridge piece followed to find linked minutiae
};

struct FilterParams {
    float borderMargin = 12.0f;   // minutiae closer to the edge of the print are dropped
    int spurLength = 12;          // ending linked to a fork by a ridge this short: a spur
    int shortRidgeLength = 16;    // ridge with two endings this short: an island or dot
    int bridgeLength = 12;        // two forks linked this closely: a bridge or a hole
    float breakDistance = 14.0f;  // two endings facing each other this close: a broken ridge
    float breakAngle = 0.8f;      // ...when their directions are this close to opposite
    float minDistance = 5.0f;     // two minutiae this close are noise, whatever they are
    int clusterRadius = 10;       // more than clusterCount minutiae in such a radius: noise
    int clusterCount = 3;
    // Minutiae in flow less coherent than this are dropped (0: none are). Off by default: on
    // dotted, pored or dry prints the whole print has low coherence, and a cut there drops the
    // true minutiae with the false ones; a minutia's quality follows the coherence, and the
    // matcher weighs pairs by quality instead.
    float minCoherence = 0.0f;
    int maxMinutiae = 128;        // best by quality are kept when more are found
};

struct QualityParams {
    float minArea = 12000.0f;     // print area below this (pixels, ~31 mm^2): too small
    float minEmptyArea = 1500.0f; // below this no print is taken to be present at all
    // Median spread of the print (grey levels) below this: too faint. Light presses on optical
    // sensors keep clean ridges down to a spread of about 10, which contrast normalisation
    // brings out fully; below it the ridges break up into grain.
    float minContrast = 10.0f;
    float minClearFraction = 0.4f;// fraction of print with coherent flow below: unclear
    float clearCoherence = 0.45f; // coherence counting as clear flow
    int minMinutiae = 8;          // fewer minutiae: too few to match
};

struct ExtractParams {
    ContrastParams contrast;
    OrientationParams orientation;
    SegmentationParams segmentation;
    FrequencyParams frequency;
    EnhanceParams enhance;
    BinarizeParams binarize;
    MinutiaeParams minutiae;
    FilterParams filter;
    QualityParams quality;
};

}  // namespace lumo::engine
