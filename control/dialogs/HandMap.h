// HandMap: the finger map of the hand picture, without any widget.
//
// Ten seed points in picture pixels, one per finger number 1 to 10, and the ten finger
// regions grown from them over a picture by a breadth-first 4-neighbour fill of the seed's
// exact colour. fingerAt() is the hit test: the finger whose region holds a picture point.
// A value type; building costs one fill per finger, a hit test at most ten linear searches.
#pragma once

#include <QImage>
#include <QPoint>
#include <array>
#include <vector>

namespace lumo::dialogs {

class HandMap {
public:
    static constexpr int kFingerCount = 10;
    // The fill's work list keeps at most this many points before the taken ones are dropped.
    static constexpr std::size_t kWorkListTrim = 75000;

    // Seed of finger 1 to 10 in the hand picture.
    static QPoint seed(int finger);

    // Empties every region and grows each from its seed over picture. Seeds outside the
    // picture give empty regions.
    void build(const QImage& picture);
    // Region of finger 1 to 10 (empty for other numbers).
    const std::vector<QPoint>& region(int finger) const;
    // Finger 1 to 10 whose region holds the point, 0 when none.
    int fingerAt(QPoint point) const;

    // The fill from one point, as build() runs it for each seed.
    static std::vector<QPoint> fill(const QImage& picture, QPoint seed);

private:
    std::array<std::vector<QPoint>, kFingerCount> m_regions;
};

}  // namespace lumo::dialogs
