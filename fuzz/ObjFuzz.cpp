// Fuzz target for the OBJ reader, SurfaceMesh::LoadMesh.
//
// Every input is read twice: by the loader, and by the transcription of the
// same algorithm onto the C library's fscanf that the tests hold it to
// (tests/mesh/ObjReference.cpp). The two must agree on the outcome, every
// count, every index and every float's bits; so a fault in the loader's own
// number and token rules is a finding, not only a crash. The loader's promises
// are checked as well: a mesh that loaded has every index slot inside its
// arrays, and one that did not reads as empty. Each input is read a third
// time with the second pass in two halves at once, to the same outcome.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "FuzzFile.h"
#include "ObjReference.h"
#include "math/ParallelFor.h"
#include "mesh/SurfaceMesh.h"

namespace {

using wobble::SurfaceMesh;

// Triangle slots hold three indices into an array of `count` and then -1;
// slots that no face wrote hold -1 throughout.
void CheckSlots(const std::vector<int>& slots, int count) {
    for (size_t s = 0; s < slots.size(); ++s) {
        if (s % SurfaceMesh::kSlotsPerTriangle == 3) {
            FUZZ_CHECK(slots[s] == -1);
        } else {
            FUZZ_CHECK(slots[s] == -1 || (slots[s] >= 0 && slots[s] < count));
        }
    }
}

void CheckLoaded(const SurfaceMesh& mesh) {
    FUZZ_CHECK(mesh.vertexCount >= 0 && mesh.normalCount >= 0 && mesh.texCoordCount >= 0 &&
               mesh.triangleCount >= 0);
    const size_t slots = static_cast<size_t>(mesh.triangleCount) * SurfaceMesh::kSlotsPerTriangle;
    FUZZ_CHECK(mesh.vertices.size() == static_cast<size_t>(mesh.vertexCount));
    FUZZ_CHECK(mesh.normals.size() == static_cast<size_t>(mesh.normalCount));
    FUZZ_CHECK(mesh.texCoords.size() == static_cast<size_t>(mesh.texCoordCount));
    FUZZ_CHECK(mesh.vertexIndices.size() == slots &&
               mesh.normalIndices.size() == (mesh.normalCount > 0 ? slots : 0) &&
               mesh.texCoordIndices.size() == (mesh.texCoordCount > 0 ? slots : 0));
    FUZZ_CHECK(mesh.faceNormals.size() == static_cast<size_t>(mesh.triangleCount));
    FUZZ_CHECK(mesh.vertexTetra.size() == static_cast<size_t>(mesh.vertexCount));
    FUZZ_CHECK(mesh.barycentric.size() == static_cast<size_t>(mesh.vertexCount));
    for (size_t s = 0; s < slots; ++s) {
        // Every triangle has its three vertices.
        if (s % SurfaceMesh::kSlotsPerTriangle != 3)
            FUZZ_CHECK(mesh.vertexIndices[s] >= 0);
    }
    CheckSlots(mesh.vertexIndices, mesh.vertexCount);
    CheckSlots(mesh.normalIndices, mesh.normalCount);
    CheckSlots(mesh.texCoordIndices, mesh.texCoordCount);
}

void CheckEmpty(const SurfaceMesh& mesh) {
    FUZZ_CHECK(mesh.triangleCount == 0 && mesh.texCoordCount == 0);
    FUZZ_CHECK(mesh.vertexCount <= 0 && mesh.normalCount <= 0);
    FUZZ_CHECK(mesh.vertices.empty() && mesh.normals.empty() && mesh.texCoords.empty());
    FUZZ_CHECK(mesh.vertexIndices.empty() && mesh.normalIndices.empty() &&
               mesh.texCoordIndices.empty() && mesh.faceNormals.empty());
}

template <class Vec, int N>
bool SameBits(const std::vector<Vec>& a, const std::vector<Vec>& b, bool anyNan) {
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k) {
        for (int i = 0; i < N; ++i) {
            uint32_t x = std::bit_cast<uint32_t>(a[k][i]);
            uint32_t y = std::bit_cast<uint32_t>(b[k][i]);
            // A computed NaN's sign follows the compiler's operand order.
            if (anyNan && (x & 0x7fffffffu) > 0x7f800000u && (y & 0x7fffffffu) > 0x7f800000u)
                continue;
            if (x != y)
                return false;
        }
    }
    return true;
}

void CheckSameAsReference(bool ok, const SurfaceMesh& mesh, bool referenceOk,
                          const SurfaceMesh& reference) {
    FUZZ_CHECK(ok == referenceOk);
    FUZZ_CHECK(mesh.vertexCount == reference.vertexCount);
    FUZZ_CHECK(mesh.normalCount == reference.normalCount);
    FUZZ_CHECK(mesh.texCoordCount == reference.texCoordCount);
    FUZZ_CHECK(mesh.triangleCount == reference.triangleCount);
    FUZZ_CHECK((SameBits<SbVec3f, 3>(mesh.vertices, reference.vertices, false)));
    FUZZ_CHECK((SameBits<SbVec3f, 3>(mesh.normals, reference.normals, false)));
    FUZZ_CHECK((SameBits<SbVec2f, 2>(mesh.texCoords, reference.texCoords, false)));
    FUZZ_CHECK(mesh.vertexIndices == reference.vertexIndices);
    FUZZ_CHECK(mesh.normalIndices == reference.normalIndices);
    FUZZ_CHECK(mesh.texCoordIndices == reference.texCoordIndices);
    FUZZ_CHECK((SameBits<SbVec3f, 3>(mesh.faceNormals, reference.faceNormals, true)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = wobble::fuzz::WriteScratchFile("surface.obj", data, size);
    SurfaceMesh mesh;
    const bool ok = mesh.LoadMesh(path).ok();
    if (ok) {
        CheckLoaded(mesh);
    } else {
        CheckEmpty(mesh);
    }
    SurfaceMesh reference;
    const bool referenceOk = wobble::test::ReferenceLoadMesh(path, reference);
    CheckSameAsReference(ok, mesh, referenceOk, reference);

    // Again with the second pass in two halves at once, from the first
    // statement past the middle: joined or read again, the same outcome.
    static const bool halved = [] {
        wobble::SetParallelThreads(2);
        return true;
    }();
    (void)halved;
    SurfaceMesh::SetHalvedReadingFrom(0);
    SurfaceMesh inHalves;
    const bool halvesOk = inHalves.LoadMesh(path).ok();
    SurfaceMesh::SetHalvedReadingFrom(std::numeric_limits<long long>::max());
    CheckSameAsReference(halvesOk, inHalves, referenceOk, reference);
    return 0;
}
