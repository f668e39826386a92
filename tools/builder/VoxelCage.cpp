#include "builder/VoxelCage.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "builder/BuildProgress.h"
#include "builder/TriangleBox.h"

namespace wobble::builder {

namespace {

// Touching is decided with boxes this much larger than the cells, so that a
// surface running exactly along a cell face marks the cells on both sides.
constexpr double kTouchTolerance = 1e-7;

// The six axis orders of the tetras of a cell, and whether the order is an odd
// permutation (its tetra would have negative volume unless two corners swap).
constexpr int kAxisOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                   {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
constexpr bool kOddOrder[6] = {false, true, true, false, false, true};

int CellsAlong(double extent, double cellSize) {
    // One cell more than the rounded length, so the surface keeps at least a
    // quarter cell from the grid's inner border; then one cell of padding on
    // each side, which the surface never touches and the flood starts from.
    return static_cast<int>(std::floor(extent / cellSize + 0.5)) + 1 + 2;
}

}  // namespace

int VoxelCage::FinestResolution(const SbVec3d& extent) {
    const double longest = std::max({extent[0], extent[1], extent[2]});
    int lo = 1;
    int hi = 4096;
    // The grid grows with the resolution: find the largest that fits.
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        const double size = longest / mid;
        const long long total = static_cast<long long>(CellsAlong(extent[0], size)) *
                                CellsAlong(extent[1], size) * CellsAlong(extent[2], size);
        if (total <= kMaxGridCells) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return lo;
}

double VoxelCage::MeanInsideWinding(const WindingNumberTree& winding, int samples) const {
    std::vector<int> inside;
    for (size_t index = 0; index < cells.size(); ++index) {
        if (cells[index] == kEnclosed || cells[index] == kWinding)
            inside.push_back(static_cast<int>(index));
    }
    if (inside.empty() || samples <= 0)
        return 0.0;
    const size_t stride = std::max<size_t>(1, inside.size() / samples);
    double sum = 0.0;
    int taken = 0;
    for (size_t n = 0; n < inside.size(); n += stride) {
        const int index = inside[n];
        const int i = index / (cellsY * cellsZ);
        const int j = (index / cellsZ) % cellsY;
        const int k = index % cellsZ;
        sum += winding.WindingNumber(CellCentre(i, j, k));
        ++taken;
    }
    return sum / taken;
}

int VoxelCage::KeptCellCount() const {
    int count = 0;
    for (uint8_t kind : cells)
        count += kind != kEmpty;
    return count;
}

void VoxelCage::Build(const PlacedSurface& surface, const WindingNumberTree& winding,
                      int cellsAlongLongest) {
    const SbVec3d extent = surface.upper - surface.lower;
    const double longest = std::max({extent[0], extent[1], extent[2]});
    resolution = std::clamp(cellsAlongLongest, 1, FinestResolution(extent));
    cellSize = longest / resolution;
    cellsX = CellsAlong(extent[0], cellSize);
    cellsY = CellsAlong(extent[1], cellSize);
    cellsZ = CellsAlong(extent[2], cellSize);
    const SbVec3d middle = 0.5 * (surface.lower + surface.upper);
    origin = middle - 0.5 * cellSize * SbVec3d(cellsX, cellsY, cellsZ);
    cells.assign(static_cast<size_t>(cellsX) * cellsY * cellsZ, kEmpty);
    surfaceCells = enclosedCells = windingCells = bridgeCells = droppedCells = 0;
    partCount = 0;

    MarkSurfaceCells(surface);
    FillInside(winding);
    JoinParts();
    MakeTetras(false);
}

void VoxelCage::MarkSurfaceCells(const PlacedSurface& surface) {
    const SbVec3d half = SbVec3d(1, 1, 1) * (0.5 * cellSize * (1.0 + kTouchTolerance));
    const int last[3] = {cellsX - 1, cellsY - 1, cellsZ - 1};
    for (const auto& tri : surface.triangles) {
        const SbVec3d& a = surface.exactVertices[tri[0]];
        const SbVec3d& b = surface.exactVertices[tri[1]];
        const SbVec3d& c = surface.exactVertices[tri[2]];
        int from[3], to[3];
        for (int axis = 0; axis < 3; ++axis) {
            const double lo = (std::min({a[axis], b[axis], c[axis]}) - origin[axis]) / cellSize;
            const double hi = (std::max({a[axis], b[axis], c[axis]}) - origin[axis]) / cellSize;
            from[axis] =
                std::clamp(static_cast<int>(std::floor(lo - kTouchTolerance)), 0, last[axis]);
            to[axis] =
                std::clamp(static_cast<int>(std::floor(hi + kTouchTolerance)), 0, last[axis]);
        }
        for (int i = from[0]; i <= to[0]; ++i) {
            for (int j = from[1]; j <= to[1]; ++j) {
                for (int k = from[2]; k <= to[2]; ++k) {
                    uint8_t& cell = cells[CellIndex(i, j, k)];
                    if (cell == kSurface)
                        continue;
                    if (TriangleTouchesBox(CellCentre(i, j, k), half, a, b, c))
                        cell = kSurface;
                }
            }
        }
    }
}

void VoxelCage::FillInside(const WindingNumberTree& winding) {
    const size_t total = cells.size();
    // Flood from the padding through untouched cells: what it cannot reach is walled in.
    std::vector<uint8_t> reached(total, 0);
    std::vector<int> queue;
    queue.reserve(total);
    for (int i = 0; i < cellsX; ++i) {
        for (int j = 0; j < cellsY; ++j) {
            for (int k = 0; k < cellsZ; ++k) {
                const bool border = i == 0 || j == 0 || k == 0 || i == cellsX - 1 ||
                                    j == cellsY - 1 || k == cellsZ - 1;
                const int index = CellIndex(i, j, k);
                if (border && cells[index] == kEmpty) {
                    reached[index] = 1;
                    queue.push_back(index);
                }
            }
        }
    }
    const int strideX = cellsY * cellsZ;
    for (size_t head = 0; head < queue.size(); ++head) {
        const int index = queue[head];
        const int i = index / strideX;
        const int j = (index / cellsZ) % cellsY;
        const int k = index % cellsZ;
        const int neighbours[6][3] = {{i - 1, j, k}, {i + 1, j, k}, {i, j - 1, k},
                                      {i, j + 1, k}, {i, j, k - 1}, {i, j, k + 1}};
        for (const auto& n : neighbours) {
            if (n[0] < 0 || n[1] < 0 || n[2] < 0 || n[0] >= cellsX || n[1] >= cellsY ||
                n[2] >= cellsZ)
                continue;
            const int next = CellIndex(n[0], n[1], n[2]);
            if (!reached[next] && cells[next] == kEmpty) {
                reached[next] = 1;
                queue.push_back(next);
            }
        }
    }

    const int n[3] = {cellsX, cellsY, cellsZ};
    // The winding number is asked only of cells that have surface cells on both
    // sides along at least two axes: that spares the many cells plainly
    // outside, and still covers the inside under a hole (open along one axis).
    auto lineBounds = [&](int axis, std::vector<int>& first, std::vector<int>& lastOnLine) {
        const int u = (axis + 1) % 3;
        const int v = (axis + 2) % 3;
        first.assign(static_cast<size_t>(n[u]) * n[v], -1);
        lastOnLine.assign(first.size(), -1);
        for (int a = 0; a < n[u]; ++a) {
            for (int b = 0; b < n[v]; ++b) {
                int at[3];
                at[u] = a;
                at[v] = b;
                for (int t = 0; t < n[axis]; ++t) {
                    at[axis] = t;
                    if (cells[CellIndex(at[0], at[1], at[2])] != kSurface)
                        continue;
                    const size_t line = static_cast<size_t>(a) * n[v] + b;
                    if (first[line] < 0)
                        first[line] = t;
                    lastOnLine[line] = t;
                }
            }
        }
    };
    std::vector<int> firstOn[3], lastOn[3];
    for (int axis = 0; axis < 3; ++axis)
        lineBounds(axis, firstOn[axis], lastOn[axis]);

    for (int i = 0; i < cellsX; ++i) {
        for (int j = 0; j < cellsY; ++j) {
            for (int k = 0; k < cellsZ; ++k) {
                const int index = CellIndex(i, j, k);
                if (cells[index] != kEmpty)
                    continue;
                if (!reached[index]) {
                    cells[index] = kEnclosed;
                    ++enclosedCells;
                    continue;
                }
                const int at[3] = {i, j, k};
                int between = 0;
                for (int axis = 0; axis < 3; ++axis) {
                    const int u = (axis + 1) % 3;
                    const int v = (axis + 2) % 3;
                    const size_t line = static_cast<size_t>(at[u]) * n[v] + at[v];
                    between += firstOn[axis][line] >= 0 && firstOn[axis][line] < at[axis] &&
                               at[axis] < lastOn[axis][line];
                }
                if (between < 2)
                    continue;
                // Either orientation of the whole surface counts: inside is inside.
                if (std::fabs(winding.WindingNumber(CellCentre(i, j, k))) >= 0.5) {
                    cells[index] = kWinding;
                    ++windingCells;
                }
            }
        }
    }
    for (uint8_t kind : cells)
        surfaceCells += kind == kSurface;
}

void VoxelCage::JoinParts() {
    const int total = static_cast<int>(cells.size());
    const int strideX = cellsY * cellsZ;
    const int size[3] = {cellsX, cellsY, cellsZ};
    auto coords = [&](int index, int at[3]) {
        at[0] = index / strideX;
        at[1] = (index / cellsZ) % cellsY;
        at[2] = index % cellsZ;
    };

    // Face-connected parts, found in cell order.
    std::vector<int> part(total, -1);
    std::vector<std::vector<int>> parts;
    std::vector<int> queue;
    for (int start = 0; start < total; ++start) {
        if (cells[start] == kEmpty || part[start] >= 0)
            continue;
        const int label = static_cast<int>(parts.size());
        parts.emplace_back();
        queue.assign(1, start);
        part[start] = label;
        for (size_t head = 0; head < queue.size(); ++head) {
            const int index = queue[head];
            parts[label].push_back(index);
            int at[3];
            coords(index, at);
            for (int axis = 0; axis < 3; ++axis) {
                for (int step = -1; step <= 1; step += 2) {
                    int next[3] = {at[0], at[1], at[2]};
                    next[axis] += step;
                    if (next[axis] < 0 || next[axis] >= size[axis])
                        continue;
                    const int n = CellIndex(next[0], next[1], next[2]);
                    if (cells[n] != kEmpty && part[n] < 0) {
                        part[n] = label;
                        queue.push_back(n);
                    }
                }
            }
        }
    }
    partCount = static_cast<int>(parts.size());
    if (parts.size() <= 1)
        return;

    // The largest part is the body; the others are joined to it, largest first.
    std::vector<int> bySize(parts.size());
    for (size_t p = 0; p < parts.size(); ++p)
        bySize[p] = static_cast<int>(p);
    std::stable_sort(bySize.begin(), bySize.end(),
                     [&](int a, int b) { return parts[a].size() > parts[b].size(); });
    std::vector<int> body = parts[bySize[0]];
    const bool bodyIsSingle = body.size() == 1;
    std::vector<uint8_t> inBody(total, 0);
    for (int index : body)
        inBody[index] = 1;
    // The cells of a set with a face neighbour outside it. The nearest pair
    // of two sets is always such a pair (an inner cell has a neighbour of
    // its own set that is nearer to any cell outside), so searching these
    // alone finds the same pair, first in the same order, in far less time.
    auto onBorder = [&](const std::vector<int>& set, auto&& inSet) {
        std::vector<int> border;
        for (int index : set) {
            int at[3];
            coords(index, at);
            bool inner = true;
            for (int axis = 0; axis < 3 && inner; ++axis) {
                for (int step = -1; step <= 1 && inner; step += 2) {
                    int next[3] = {at[0], at[1], at[2]};
                    next[axis] += step;
                    inner = next[axis] >= 0 && next[axis] < size[axis] &&
                            inSet(CellIndex(next[0], next[1], next[2]));
                }
            }
            if (!inner)
                border.push_back(index);
        }
        return border;
    };

    for (size_t rank = 1; rank < bySize.size(); ++rank) {
        const int label = bySize[rank];
        const std::vector<int>& loose = parts[label];
        if (loose.size() == 1 && !bodyIsSingle) {
            // A lone cell hanging on nothing: its bit of surface rides on the
            // nearest tetras of the body instead.
            const int kind = cells[loose[0]];
            if (kind == kSurface)
                --surfaceCells;
            else if (kind == kEnclosed)
                --enclosedCells;
            else if (kind == kWinding)
                --windingCells;
            cells[loose[0]] = kEmpty;
            ++droppedCells;
            continue;
        }
        // The nearest pair of cells between the body and the loose part.
        const std::vector<int> looseBorder =
            onBorder(loose, [&](int index) { return part[index] == label; });
        const std::vector<int> bodyBorder =
            onBorder(body, [&](int index) { return inBody[index] != 0; });
        long long best = -1;
        int from[3] = {0, 0, 0}, to[3] = {0, 0, 0};
        for (int a : looseBorder) {
            int pa[3];
            coords(a, pa);
            for (int b : bodyBorder) {
                int pb[3];
                coords(b, pb);
                const long long d = 1LL * (pa[0] - pb[0]) * (pa[0] - pb[0]) +
                                    1LL * (pa[1] - pb[1]) * (pa[1] - pb[1]) +
                                    1LL * (pa[2] - pb[2]) * (pa[2] - pb[2]);
                if (best < 0 || d < best) {
                    best = d;
                    std::copy(pa, pa + 3, from);
                    std::copy(pb, pb + 3, to);
                }
            }
        }
        // Walk from the loose part to the body, always along the axis with the
        // farthest still to go, and lay a bar three cells thick around the walk:
        // a bar one cell thick would bend like a hinge.
        int at[3] = {from[0], from[1], from[2]};
        for (;;) {
            for (int di = -1; di <= 1; ++di) {
                for (int dj = -1; dj <= 1; ++dj) {
                    for (int dk = -1; dk <= 1; ++dk) {
                        const int i = at[0] + di, j = at[1] + dj, k = at[2] + dk;
                        if (i < 0 || j < 0 || k < 0 || i >= cellsX || j >= cellsY || k >= cellsZ)
                            continue;
                        const int index = CellIndex(i, j, k);
                        if (cells[index] == kEmpty) {
                            cells[index] = kBridge;
                            ++bridgeCells;
                            body.push_back(index);
                            inBody[index] = 1;
                        }
                    }
                }
            }
            int axis = 0;
            for (int a = 1; a < 3; ++a) {
                if (std::abs(to[a] - at[a]) > std::abs(to[axis] - at[axis]))
                    axis = a;
            }
            if (at[axis] == to[axis])
                break;
            at[axis] += to[axis] > at[axis] ? 1 : -1;
        }
        body.insert(body.end(), loose.begin(), loose.end());
        for (int index : loose)
            inBody[index] = 1;
    }
}

namespace {

// The Morton code of cell (i, j, k): the bits of the three coordinates
// interleaved, so that sorting by it walks the grid along a Z-shaped
// space-filling curve.
uint64_t MortonCode(int i, int j, int k) {
    uint64_t code = 0;
    for (int bit = 0; bit < 21; ++bit) {
        code |= (static_cast<uint64_t>(i >> bit & 1) << (3 * bit)) |
                (static_cast<uint64_t>(j >> bit & 1) << (3 * bit + 1)) |
                (static_cast<uint64_t>(k >> bit & 1) << (3 * bit + 2));
    }
    return code;
}

}  // namespace

void VoxelCage::OrderAlongCurve() {
    MakeTetras(true);
}

void VoxelCage::MakeTetras(bool alongCurve) {
    vertices.clear();
    tetras.clear();
    springCount = 0;
    const int px = cellsX + 1, py = cellsY + 1, pz = cellsZ + 1;
    auto pointIndex = [&](int i, int j, int k) { return (i * py + j) * pz + k; };
    const size_t pointTotal = static_cast<size_t>(px) * py * pz;

    std::vector<std::array<int, 3>> kept;
    for (int i = 0; i < cellsX; ++i) {
        for (int j = 0; j < cellsY; ++j) {
            for (int k = 0; k < cellsZ; ++k) {
                if (cells[CellIndex(i, j, k)] != kEmpty)
                    kept.push_back({i, j, k});
            }
        }
    }
    std::vector<int> number(pointTotal, -1);
    auto addVertex = [&](int i, int j, int k) {
        number[pointIndex(i, j, k)] = static_cast<int>(vertices.size());
        const SbVec3d p = origin + cellSize * SbVec3d(i, j, k);
        vertices.emplace_back(static_cast<float>(p[0]), static_cast<float>(p[1]),
                              static_cast<float>(p[2]));
    };
    if (alongCurve) {
        std::vector<std::pair<uint64_t, int>> byCode(kept.size());
        for (size_t c = 0; c < kept.size(); ++c)
            byCode[c] = {MortonCode(kept[c][0], kept[c][1], kept[c][2]), static_cast<int>(c)};
        std::sort(byCode.begin(), byCode.end());
        std::vector<std::array<int, 3>> sorted(kept.size());
        for (size_t c = 0; c < kept.size(); ++c)
            sorted[c] = kept[byCode[c].second];
        kept.swap(sorted);
    } else {
        // Number the corners the cage uses in grid order.
        for (const auto& [i, j, k] : kept) {
            for (int corner = 0; corner < 8; ++corner)
                number[pointIndex(i + (corner & 1), j + (corner >> 1 & 1),
                                  k + (corner >> 2 & 1))] = 0;
        }
        for (int i = 0; i < px; ++i) {
            for (int j = 0; j < py; ++j) {
                for (int k = 0; k < pz; ++k) {
                    if (number[pointIndex(i, j, k)] >= 0)
                        addVertex(i, j, k);
                }
            }
        }
    }

    // Every cage edge runs from a grid point along one of seven positive
    // directions (1 x, 2 y, 4 z and their sums); one bit per direction and point.
    std::vector<uint8_t> edges(pointTotal, 0);
    tetras.reserve(kept.size() * 6);
    for (const auto& [i, j, k] : kept) {
        for (int t = 0; t < 6; ++t) {
            int at[3] = {i, j, k};
            int corner[4][3];
            std::copy(at, at + 3, corner[0]);
            for (int step = 0; step < 3; ++step) {
                ++at[kAxisOrders[t][step]];
                std::copy(at, at + 3, corner[step + 1]);
            }
            if (kOddOrder[t]) {
                for (int a = 0; a < 3; ++a)
                    std::swap(corner[1][a], corner[2][a]);
            }
            std::array<int, 4> tetra;
            for (int c = 0; c < 4; ++c) {
                int& n = number[pointIndex(corner[c][0], corner[c][1], corner[c][2])];
                if (n < 0)
                    addVertex(corner[c][0], corner[c][1], corner[c][2]);
                tetra[c] = n;
            }
            tetras.push_back(tetra);
            for (int u = 0; u < 4; ++u) {
                for (int v = u + 1; v < 4; ++v) {
                    const int* lo = corner[u];
                    const int* hi = corner[v];
                    if (hi[0] < lo[0] || hi[1] < lo[1] || hi[2] < lo[2])
                        std::swap(lo, hi);
                    const int direction =
                        (hi[0] - lo[0]) + 2 * (hi[1] - lo[1]) + 4 * (hi[2] - lo[2]);
                    uint8_t& bits = edges[pointIndex(lo[0], lo[1], lo[2])];
                    if (!(bits & (1 << direction))) {
                        bits |= static_cast<uint8_t>(1 << direction);
                        ++springCount;
                    }
                }
            }
        }
    }
}

bool VoxelCage::BuildWithinBudget(const PlacedSurface& surface, const WindingNumberTree& winding,
                                  int maxSprings) {
    const SbVec3d extent = surface.upper - surface.lower;
    const double longest = std::max({extent[0], extent[1], extent[2]});
    const int finest = FinestResolution(extent);
    // First guess: the cage fills its whole box, about 8 springs a cell.
    const double boxShare = (extent[0] / longest) * (extent[1] / longest) * (extent[2] / longest);
    int guess = static_cast<int>(std::cbrt(maxSprings / 8.0 / std::max(boxShare, 1e-9)));
    guess = std::clamp(guess, 1, finest);

    int fits = 0;              // finest resolution known to fit the budget
    int tooMany = finest + 1;  // coarsest resolution known not to
    resolutionsTried = 0;
    int n = guess;
    while (fits + 1 < tooMany && resolutionsTried < 24) {
        Build(surface, winding, n);
        ++resolutionsTried;
        const double ratio = static_cast<double>(maxSprings) / std::max(springCount, 1);
        if (springCount <= maxSprings) {
            fits = n;
        } else {
            tooMany = n;
        }
        // The search has come as far as its interval has shrunk.
        ReportProgress(BuildStage::kCage, 1.0 - std::log2(std::max(tooMany - fits, 1)) /
                                                    std::log2(finest + 1.0));
        // Springs grow with the resolution between the square (a thin shell)
        // and the cube (a solid); the cube root steps carefully both ways.
        int next = static_cast<int>(std::floor(n * std::cbrt(ratio)));
        if (springCount <= maxSprings)
            next = std::max(next, n + 1);
        else
            next = std::min(next, n - 1);
        if (fits + 1 >= tooMany)
            break;
        n = std::clamp(next, fits + 1, tooMany - 1);
    }
    if (fits == 0)
        return false;
    if (resolution != fits) {
        Build(surface, winding, fits);
        ++resolutionsTried;
    }
    return true;
}

}  // namespace wobble::builder
