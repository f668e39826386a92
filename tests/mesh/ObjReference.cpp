#include "ObjReference.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "text/InputError.h"

namespace wobble::test {

namespace {

// The loader's one line on stderr for a refused file.
template <typename... Args>
void ReportInputError(const std::string& file, int line, const char* format, Args... args) {
    if constexpr (sizeof...(args) == 0)
        PrintInputError(MakeInputError(file, line, "%s", format));
    else
        PrintInputError(MakeInputError(file, line, format, args...));
}

enum Form { kVN, kVTN, kVT, kV };

struct Corner {
    int v = 0, t = 0, n = 0, line = 0;
};

class Reference {
public:
    Reference(const std::string& name, SurfaceMesh& mesh) : name_(name), mesh_(mesh) {}

    bool Load() {
        std::printf("Loading Mesh from file: %s\nFirst pass: get amount of data to store...\n",
                    name_.c_str());
        struct stat info;
        if (stat(name_.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            file_ = std::fopen(name_.c_str(), "r");
        if (file_ == nullptr) {
            std::printf("Couldn't open mesh file: %s \n", name_.c_str());
            return false;
        }
        // The stream's buffer is ours (the fuzz target reads many small files
        // under the sanitizers, where each allocation is fresh memory); the
        // text is read through it once for the line numbers.
        std::setvbuf(file_, streamBuffer_, _IOFBF, sizeof streamBuffer_);
        for (size_t got; (got = std::fread(buf_, 1, sizeof buf_, file_)) > 0;)
            content_.append(buf_, got);
        std::rewind(file_);
        const bool ok = Run();
        std::fclose(file_);
        return ok;
    }

private:
    // 1 + the line ends before the stream's offset; counted on from the
    // previous call while the offset only grows.
    int Line() {
        const long offset = std::ftell(file_);
        if (offset < lineOffset_) {
            lineOffset_ = 0;
            line_ = 1;
        }
        for (; lineOffset_ < offset && lineOffset_ < static_cast<long>(content_.size());
             ++lineOffset_) {
            if (content_[lineOffset_] == '\n')
                ++line_;
        }
        return line_;
    }

    int ReadCorner(Form form, Corner& c) {
        switch (form) {
            case kVN:
                return std::fscanf(file_, "%d//%d", &c.v, &c.n);
            case kVTN:
                return std::fscanf(file_, "%d/%d/%d", &c.v, &c.t, &c.n);
            case kVT:
                return std::fscanf(file_, "%d/%d", &c.v, &c.t);
            case kV:
                return std::fscanf(file_, "%d", &c.v);
        }
        return 0;
    }

    Form First(Corner& c, int& converted) {
        c = Corner();
        if (std::strstr(buf_, "//") != nullptr) {
            converted = std::sscanf(buf_, "%d//%d", &c.v, &c.n);
            return kVN;
        }
        Corner tried;
        if (std::sscanf(buf_, "%d/%d/%d", &tried.v, &tried.t, &tried.n) == 3) {
            c = tried;
            converted = 3;
            return kVTN;
        }
        tried = Corner();
        if (std::sscanf(buf_, "%d/%d", &tried.v, &tried.t) == 2) {
            c = tried;
            converted = 2;
            return kVT;
        }
        converted = std::sscanf(buf_, "%d", &c.v);
        return kV;
    }

    bool Resolve(int index, long long soFar, int count, const char* kind, int line, int& out) {
        if (index > 0) {
            if (index <= count) {
                out = index - 1;
                return true;
            }
            ReportInputError(name_, line, "face index %d is beyond the file's %d %s", index, count,
                             kind);
            return false;
        }
        if (index < 0) {
            if (soFar + index >= 0) {
                out = static_cast<int>(soFar + index);
                return true;
            }
            ReportInputError(name_, line,
                             "face index %d reaches back past the %lld %s read before it", index,
                             soFar, kind);
            return false;
        }
        ReportInputError(name_, line, "face index 0 names no %s: indices count from 1", kind);
        return false;
    }

    bool Store(Form form, bool atEnd, bool hasVertex, const Corner& a, const Corner& b,
               const Corner& c) {
        const long long capacity = 4LL * mesh_.triangleCount;
        const bool fits = vslot_ + 4 <= capacity;
        const Corner* k[3] = {&a, &b, &c};
        if (fits) {
            if (atEnd) {
                ReportInputError(name_, a.line, "the file ends in a face without corners");
                return false;
            }
            if (!hasVertex) {
                ReportInputError(name_, a.line, "face corner \"%s\" holds no vertex index", buf_);
                return false;
            }
            for (int i = 0; i < 3; ++i) {
                if (!Resolve(k[i]->v, vpos_, mesh_.vertexCount, "vertices", k[i]->line,
                             mesh_.vertexIndices[vslot_ + i]))
                    return false;
            }
            mesh_.vertexIndices[vslot_ + 3] = -1;
        }
        vslot_ += 4;
        // Normal and texture-coordinate indices are written only once all three
        // resolve: their arrays are empty when the file has none of them.
        int resolved[3];
        if (form == kVN || form == kVTN) {
            if (fits) {
                for (int i = 0; i < 3; ++i) {
                    if (!Resolve(k[i]->n, npos_, mesh_.normalCount, "normals", k[i]->line,
                                 resolved[i]))
                        return false;
                }
                for (int i = 0; i < 3; ++i)
                    mesh_.normalIndices[nslot_ + i] = resolved[i];
                mesh_.normalIndices[nslot_ + 3] = -1;
            }
            nslot_ += 4;
        }
        if (form == kVT || form == kVTN) {
            if (fits) {
                for (int i = 0; i < 3; ++i) {
                    if (!Resolve(k[i]->t, tpos_, mesh_.texCoordCount, "texture coordinates",
                                 k[i]->line, resolved[i]))
                        return false;
                }
                for (int i = 0; i < 3; ++i)
                    mesh_.texCoordIndices[tslot_ + i] = resolved[i];
                mesh_.texCoordIndices[tslot_ + 3] = -1;
            }
            tslot_ += 4;
        }
        return true;
    }

    bool Run() {
        long long nv = 0, nn = 0, nt = 0, ntri = 0;
        while (std::fscanf(file_, "%255s", buf_) != EOF) {
            if (buf_[0] == 'v') {
                if (buf_[1] == '\0') {
                    ++nv;
                } else if (buf_[1] == 'n') {
                    ++nn;
                } else if (buf_[1] == 't') {
                    ++nt;
                } else {
                    std::printf("LoadMesh(): Unknown token \"%s\".\n", buf_);
                    return false;
                }
                std::fgets(buf_, sizeof buf_, file_);
            } else if (buf_[0] == 'f') {
                std::fscanf(file_, "%255s", buf_);
                Corner first;
                int converted = 0;
                const Form form = First(first, converted);
                Corner second = first, third = first;
                ReadCorner(form, second);
                ReadCorner(form, third);
                ++ntri;
                for (;;) {
                    Corner next = first;
                    if (ReadCorner(form, next) <= 0)
                        break;
                    ++ntri;
                }
            } else {
                std::fgets(buf_, sizeof buf_, file_);
            }
        }
        if (nv > INT_MAX || nn > INT_MAX || nt > INT_MAX || ntri > INT_MAX / 4) {
            ReportInputError(name_, 0,
                             "too many elements to hold (%lld vertices, %lld normals, %lld texture "
                             "coordinates, %lld triangles)",
                             nv, nn, nt, ntri);
            return false;
        }
        std::printf(" Vertices: %d\n", static_cast<int>(nv));
        std::printf(" Normals: %d\n", static_cast<int>(nn));
        std::printf(" Texcoords: %d\n", static_cast<int>(nt));
        std::printf(" Triangles: %d\n", static_cast<int>(ntri));
        mesh_.vertexCount = static_cast<int>(nv);
        mesh_.texCoordCount = static_cast<int>(nt);
        mesh_.normalCount = static_cast<int>(nn);
        mesh_.triangleCount = static_cast<int>(ntri);
        std::printf(" Done!\nSecond Pass: get data... ");
        std::rewind(file_);
        const size_t slots = 4 * static_cast<size_t>(ntri);
        mesh_.vertices.assign(nv, SbVec3f(0, 0, 0));
        mesh_.normals.assign(nn, SbVec3f(0, 0, 0));
        mesh_.texCoords.assign(nt, SbVec2f(0, 0));
        mesh_.vertexIndices.assign(slots, -1);
        mesh_.normalIndices.assign(nn > 0 ? slots : 0, -1);
        mesh_.texCoordIndices.assign(nt > 0 ? slots : 0, -1);

        while (std::fscanf(file_, "%255s", buf_) != EOF) {
            if (buf_[0] == 'v') {
                const char kind = buf_[1];
                if (kind != '\0' && kind != 'n' && kind != 't') {
                    ReportInputError(name_, Line(),
                                     "unknown token \"%s\" where the first reading saw none: a "
                                     "line longer than 255 characters, or more text after the "
                                     "numbers of a v line?",
                                     buf_);
                    return false;
                }
                long long& pos = kind == '\0' ? vpos_ : kind == 'n' ? npos_ : tpos_;
                const int count = kind == '\0'  ? mesh_.vertexCount
                                  : kind == 'n' ? mesh_.normalCount
                                                : mesh_.texCoordCount;
                if (pos >= count) {
                    const char* what = kind == '\0'  ? "vertex"
                                       : kind == 'n' ? "normal"
                                                     : "texture-coordinate";
                    ReportInputError(name_, Line(),
                                     "more %s lines on the second reading than the %d counted on "
                                     "the first: a line longer than 255 characters, or more text "
                                     "after the numbers of a v line?",
                                     what, count);
                    return false;
                }
                float x = 0, y = 0, z = 0;
                if (kind == '\0') {
                    std::fscanf(file_, "%f %f %f", &x, &y, &z);
                    mesh_.vertices[pos].setValue(x, y, z);
                } else if (kind == 'n') {
                    std::fscanf(file_, "%f %f %f", &x, &y, &z);
                    mesh_.normals[pos].setValue(x, y, z);
                } else {
                    std::fscanf(file_, "%f %f", &x, &y);
                    mesh_.texCoords[pos].setValue(x, y);
                }
                ++pos;
            } else if (buf_[0] == 'f') {
                const bool atEnd = std::fscanf(file_, "%255s", buf_) == EOF;
                Corner first;
                int converted = 0;
                const Form form = First(first, converted);
                first.line = Line();
                Corner second = first, third = first;
                ReadCorner(form, second);
                second.line = Line();
                ReadCorner(form, third);
                third.line = Line();
                if (!Store(form, atEnd, converted >= 1, first, second, third))
                    return false;
                Corner previous = third;
                for (;;) {
                    Corner next = first;
                    if (ReadCorner(form, next) <= 0)
                        break;
                    next.line = Line();
                    if (!Store(form, atEnd, converted >= 1, first, previous, next))
                        return false;
                    previous = next;
                }
            } else {
                std::fgets(buf_, sizeof buf_, file_);
            }
            if (vslot_ > 4LL * mesh_.triangleCount) {
                std::printf("Error: out of array boundary %i\n", static_cast<int>(vslot_));
                return false;
            }
        }
        if (vpos_ != mesh_.vertexCount || npos_ != mesh_.normalCount ||
            tpos_ != mesh_.texCoordCount || vslot_ / 4 != mesh_.triangleCount) {
            ReportInputError(
                name_, 0,
                "the second reading found %lld vertices, %lld normals, %lld texture coordinates "
                "and %lld triangles where the first counted %d, %d, %d and %d: a line longer than "
                "255 characters, or more text after the numbers of a v line?",
                vpos_, npos_, tpos_, vslot_ / 4, mesh_.vertexCount, mesh_.normalCount,
                mesh_.texCoordCount, mesh_.triangleCount);
            return false;
        }
        std::printf("Done!\n\n");
        mesh_.vertexTetra.assign(nv, -1);
        mesh_.barycentric.assign(nv, SbVec4f(0, 0, 0, 0));
        mesh_.faceNormals.resize(ntri);
        for (int t = 0; t < mesh_.triangleCount; ++t) {
            const SbVec3f& p0 = mesh_.vertices[mesh_.vertexIndices[4 * t]];
            const SbVec3f e1 = mesh_.vertices[mesh_.vertexIndices[4 * t + 1]] - p0;
            const SbVec3f e2 = mesh_.vertices[mesh_.vertexIndices[4 * t + 2]] - p0;
            SbVec3f n = e1.cross(e2);
            n.normalize();
            mesh_.faceNormals[t] = n;
        }
        return true;
    }

    const std::string& name_;
    SurfaceMesh& mesh_;
    std::string content_;
    std::FILE* file_ = nullptr;
    char streamBuffer_[4096];
    char buf_[256] = {0};
    long lineOffset_ = 0;
    int line_ = 1;
    long long vpos_ = 0, npos_ = 0, tpos_ = 0;
    long long vslot_ = 0, nslot_ = 0, tslot_ = 0;
};

}  // namespace

bool ReferenceLoadMesh(const std::string& fileName, SurfaceMesh& mesh) {
    Reference reference(fileName, mesh);
    if (reference.Load())
        return true;
    mesh.Clear();
    return false;
}

}  // namespace wobble::test
