#include "builder/PlacedSurface.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "text/InputError.h"

namespace wobble::builder {

Status PlacedSurface::Place(const ModelFile& model, double size, const std::string& name) {
    vertices.clear();
    triangles.clear();
    exactVertices.clear();
    if (model.triangles.empty()) {
        if (model.faceCount > 0)
            return MakeInputError(name, 0,
                                  "every face names one vertex twice: there is no surface");
        return MakeInputError(name, 0, "has no faces (%lld vertices, 0 faces): nothing to build on",
                              model.meshVertexCount);
    }

    // Only the vertices that faces use shape the body; stray ones are left out.
    std::vector<int> newIndex(model.vertices.size(), -1);
    std::vector<int> used;
    for (const auto& tri : model.triangles) {
        for (int corner : tri) {
            if (newIndex[corner] < 0) {
                newIndex[corner] = static_cast<int>(used.size());
                used.push_back(corner);
            }
        }
    }
    // Keep the model's order of the vertices, so the output reads like the input.
    std::sort(used.begin(), used.end());
    for (size_t i = 0; i < used.size(); ++i)
        newIndex[used[i]] = static_cast<int>(i);
    unusedVertexCount = static_cast<int>(model.vertices.size() - used.size());

    SbVec3d lo = model.vertices[used[0]];
    SbVec3d hi = lo;
    for (int index : used) {
        const SbVec3d& v = model.vertices[index];
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], v[a]);
            hi[a] = std::max(hi[a], v[a]);
        }
    }
    const SbVec3d extent = hi - lo;
    const double longest = std::max({extent[0], extent[1], extent[2]});
    if (!std::isfinite(longest)) {
        return MakeInputError(name, 0, "the coordinates span more than can be measured");
    }
    if (longest <= 0.0) {
        return MakeInputError(name, 0, "every face lies on one point: the model is degenerate");
    }
    static const char* const kAxisNames[3] = {"x", "y", "z"};
    for (int a = 0; a < 3; ++a) {
        if (extent[a] <= kFlatness * longest) {
            return MakeInputError(
                name, 0,
                "the model is flat (%g along %s, %g along its longest side): a body "
                "needs volume",
                extent[a], kAxisNames[a], longest);
        }
    }
    double twiceArea = 0.0;
    for (const auto& tri : model.triangles) {
        const SbVec3d& p = model.vertices[tri[0]];
        twiceArea += (model.vertices[tri[1]] - p).cross(model.vertices[tri[2]] - p).length();
    }
    if (!(twiceArea > kFlatness * longest * longest)) {
        return MakeInputError(name, 0, "every face has zero area: the model is degenerate");
    }

    scale = size / longest;
    const double height = extent[1] * scale;
    const double underside = kWaterRestHeight - kDraftFraction * height;
    const double midX = 0.5 * (lo[0] + hi[0]);
    const double midZ = 0.5 * (lo[2] + hi[2]);
    vertices.reserve(used.size());
    exactVertices.reserve(used.size());
    for (int index : used) {
        const SbVec3d& v = model.vertices[index];
        const SbVec3f placed(static_cast<float>((v[0] - midX) * scale + kWaterCentre),
                             static_cast<float>((v[1] - lo[1]) * scale + underside),
                             static_cast<float>((v[2] - midZ) * scale + kWaterCentre));
        vertices.push_back(placed);
        // The cage is built around the very positions the file will hold.
        exactVertices.emplace_back(placed[0], placed[1], placed[2]);
    }
    triangles.reserve(model.triangles.size());
    for (const auto& tri : model.triangles)
        triangles.push_back({newIndex[tri[0]], newIndex[tri[1]], newIndex[tri[2]]});

    lower = exactVertices[0];
    upper = lower;
    for (const SbVec3d& v : exactVertices) {
        for (int a = 0; a < 3; ++a) {
            lower[a] = std::min(lower[a], v[a]);
            upper[a] = std::max(upper[a], v[a]);
        }
    }
    return Done{};
}

void PlacedSurface::TurnFacesOutward() {
    for (auto& tri : triangles)
        std::swap(tri[1], tri[2]);
}

}  // namespace wobble::builder
