#include <array>

#include "engine/extract/Stages.h"

namespace lumo::engine {
namespace {

// Ring order N, NE, E, SE, S, SW, W, NW; bit k of a neighbourhood code is ring position k.
constexpr int kDx[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kDy[8] = {-1, -1, 0, 1, 1, 1, 0, -1};

struct Tables {
    std::array<bool, 256> pass1{}, pass2{}, staircase{};
};

int ringComponents8(int code) {
    // Ring pixels are adjacent when consecutive, or when both are 4-neighbours two steps apart.
    int parent[8];
    for (int i = 0; i < 8; ++i) parent[i] = i;
    auto find = [&](int i) {
        while (parent[i] != i) i = parent[i];
        return i;
    };
    auto unite = [&](int a, int b) {
        if ((code >> a & 1) && (code >> b & 1)) parent[find(a)] = find(b);
    };
    for (int i = 0; i < 8; ++i) unite(i, (i + 1) % 8);
    for (int i = 0; i < 8; i += 2) unite(i, (i + 2) % 8);
    int n = 0;
    for (int i = 0; i < 8; ++i)
        if ((code >> i & 1) && find(i) == i) ++n;
    return n;
}

Tables makeTables() {
    Tables t;
    for (int code = 0; code < 256; ++code) {
        auto p = [&](int k) { return code >> k & 1; };  // k = ring index
        int count = 0, transitions = 0;
        for (int k = 0; k < 8; ++k) {
            count += p(k);
            transitions += !p(k) && p((k + 1) % 8);
        }
        const int n = p(0), e = p(2), s = p(4), w = p(6);
        const bool base = count >= 2 && count <= 6 && transitions == 1;
        t.pass1[code] = base && !(n && e && s) && !(e && s && w);
        t.pass2[code] = base && !(n && e && w) && !(n && s && w);
        t.staircase[code] = count >= 2 && ringComponents8(code) == 1 && !(n && e && s && w);
    }
    return t;
}

const Tables& tables() {
    static const Tables t = makeTables();
    return t;
}

int code(const BytePlane& img, int x, int y) {
    int c = 0;
    for (int k = 0; k < 8; ++k) {
        const int nx = x + kDx[k], ny = y + kDy[k];
        if (img.contains(nx, ny) && img.at(nx, ny)) c |= 1 << k;
    }
    return c;
}

}  // namespace

BytePlane thin(const BytePlane& binary) {
    const Tables& t = tables();
    BytePlane img = binary;
    std::vector<std::size_t> doomed;
    // Zhang-Suen: two sub-iterations peeling opposite sides until nothing changes.
    for (bool changed = true; changed;) {
        changed = false;
        for (int pass = 0; pass < 2; ++pass) {
            doomed.clear();
            const auto& table = pass == 0 ? t.pass1 : t.pass2;
            for (int y = 0; y < img.height; ++y)
                for (int x = 0; x < img.width; ++x)
                    if (img.at(x, y) && table[code(img, x, y)])
                        doomed.push_back(static_cast<std::size_t>(y) * img.width + x);
            for (std::size_t i : doomed) img.data[i] = 0;
            changed = changed || !doomed.empty();
        }
    }
    // Zhang-Suen leaves staircase corners two pixels thick; they read as false forks.
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            if (img.at(x, y) && t.staircase[code(img, x, y)]) img.at(x, y) = 0;
    return img;
}

}  // namespace lumo::engine
