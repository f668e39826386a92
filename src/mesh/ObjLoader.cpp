// SurfaceMesh::LoadMesh: the OBJ subset the body's skin is read from.
//
//   v x y z            a vertex               vn x y z    a normal
//   vt u v [w]         a texture coordinate   f c1 c2 c3 [c4 ...]   a face
//
// A face's corners take the form of its first corner, tested in this order:
//   "1//4" vertex//normal, "1/7/4" vertex/tex/normal, "1/7" vertex/tex, "1" vertex.
// Corners are read like scanf reads numbers: across line ends, so a face goes
// on until a corner converts no number. A face of m corners becomes the fan
// (c1 c2 c3) (c1 c3 c4) ... (c1 cm-1 cm). Every other token skips its line.
//
// The file is read twice: the first pass counts, the second stores into
// arrays sized from those counts, so nothing grows while reading. The two
// passes read some unusual files differently (a line longer than 255
// characters, a vertex line followed by more tokens on its line); the second
// never writes beyond the counted sizes and fails the load when they disagree.
//
// A big file's second pass runs in two halves at once: the first pass notes
// a statement near the file's middle and what it had counted before it, a
// helper thread stores from there on, and the caller stores up to there. The
// halves are joined only when the caller's reading arrives at that very
// statement with those very counts, which makes the helper's half exactly
// what reading on would have given; otherwise the second pass is read again
// in one piece.

#include <atomic>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "math/ParallelFor.h"
#include "mesh/LargeArray.h"
#include "mesh/SurfaceMesh.h"
#include "text/Console.h"
#include "text/FilePath.h"
#include "text/ScanStream.h"

namespace wobble {

namespace {

using scan::kScanConverted;
using scan::kScanEof;
using scan::ScanResult;

// Each index array holds 4 slots per triangle and its write position is an
// int; beyond these counts the arrays could not be addressed.
constexpr long long kMaxTriangles = INT_MAX / SurfaceMesh::kSlotsPerTriangle;
constexpr long long kMaxElements = INT_MAX;

enum class CornerForm { kVertexNormal, kVertexTexNormal, kVertexTex, kVertex };

constexpr bool CarriesNormals(CornerForm form) {
    return form == CornerForm::kVertexNormal || form == CornerForm::kVertexTexNormal;
}
constexpr bool CarriesTexCoords(CornerForm form) {
    return form == CornerForm::kVertexTex || form == CornerForm::kVertexTexNormal;
}

struct Corner {
    int vertex = 0;
    int texCoord = 0;
    int normal = 0;
    int line = 0;
};

// sscanf on a token: the same conversions over a string.
class TokenScanner {
public:
    explicit TokenScanner(const char* text) : source_(text) {}
    ScanResult ScanInt(int& value) {
        source_.SkipSpace();
        const char* const begin = source_.position();
        if (const char* end = scan::ShortInt(begin, value)) {
            source_.Skip(end - begin);
            return kScanConverted;
        }
        int converted = 0;
        const ScanResult result = scan::IntCore(source_, converted);
        if (result == kScanConverted)
            value = converted;
        return result;
    }
    ScanResult MatchChar(char expected) { return scan::MatchCharCore(source_, expected); }

private:
    scan::StringSource source_;
};

// One corner in the given form: the conversions of "%d//%d", "%d/%d/%d",
// "%d/%d" or "%d". Returns what scanf returns: the number of values
// converted, or -1 when the input ended before the first. Values not
// converted keep what `corner` held.
template <CornerForm kForm, class Scanner>
[[gnu::always_inline]] inline int ReadCornerAs(Scanner& in, Corner& corner) {
    const ScanResult first = in.ScanInt(corner.vertex);
    if (first != kScanConverted)
        return first == kScanEof ? -1 : 0;
    if constexpr (kForm == CornerForm::kVertex) {
        return 1;
    } else if constexpr (kForm == CornerForm::kVertexNormal) {
        if (in.MatchChar('/') != kScanConverted || in.MatchChar('/') != kScanConverted)
            return 1;
        return in.ScanInt(corner.normal) == kScanConverted ? 2 : 1;
    } else {
        if (in.MatchChar('/') != kScanConverted)
            return 1;
        if (in.ScanInt(corner.texCoord) != kScanConverted)
            return 1;
        if constexpr (kForm == CornerForm::kVertexTex) {
            return 2;
        } else {
            if (in.MatchChar('/') != kScanConverted)
                return 2;
            return in.ScanInt(corner.normal) == kScanConverted ? 3 : 2;
        }
    }
}

template <class Scanner>
int ReadCorner(Scanner& in, CornerForm form, Corner& corner) {
    switch (form) {
        case CornerForm::kVertex:
            return ReadCornerAs<CornerForm::kVertex>(in, corner);
        case CornerForm::kVertexNormal:
            return ReadCornerAs<CornerForm::kVertexNormal>(in, corner);
        case CornerForm::kVertexTex:
            return ReadCornerAs<CornerForm::kVertexTex>(in, corner);
        case CornerForm::kVertexTexNormal:
            return ReadCornerAs<CornerForm::kVertexTexNormal>(in, corner);
    }
    return 0;
}

// Decides the form of a face from its first corner's token and takes that
// corner from it. *converted tells how many of its values were read.
//
// The tests "%d/%d/%d" converts three, "%d/%d" converts two, "%d" share
// their beginnings, so one "%d/%d/%d" reading answers all three: "%d/%d"
// converts two exactly when it converts at least two, with the same values.
CornerForm FirstCorner(const char* token, Corner& corner, int* converted) {
    corner = Corner();
    if (std::strstr(token, "//") != nullptr) {
        TokenScanner in(token);
        *converted = ReadCorner(in, CornerForm::kVertexNormal, corner);
        return CornerForm::kVertexNormal;
    }
    TokenScanner in(token);
    const int read = ReadCorner(in, CornerForm::kVertexTexNormal, corner);
    if (read == 3) {
        *converted = 3;
        return CornerForm::kVertexTexNormal;
    }
    if (read == 2) {
        *converted = 2;
        return CornerForm::kVertexTex;
    }
    *converted = read;
    corner.texCoord = 0;  // only the vertex form's reading happened
    return CornerForm::kVertex;
}

// Nearly every corner of a real file is spelled plainly: numbers of up to
// nine digits with every separator of its form in place. Such a corner is
// read straight from the buffered text here; anything else (a missing
// number, a long one, a stray slash) goes through the exact reading above.

// One corner in the given form, when plainly spelled: sets the corner's
// values and returns the end of its text, where scanf's reading ends too
// (the last number ends at a character that is not a digit). Returns nullptr,
// leaving the corner alone, for anything else.
template <CornerForm kForm>
[[gnu::always_inline]] inline const char* PlainCorner(const char* p, Corner& corner) {
    int vertex = 0, texCoord = 0, normal = 0;
    p = scan::ShortInt(p, vertex);
    if (p == nullptr)
        return nullptr;
    if constexpr (kForm == CornerForm::kVertexNormal) {
        if (p[0] != '/' || p[1] != '/')
            return nullptr;
        p = scan::ShortInt(p + 2, normal);
    } else if constexpr (kForm != CornerForm::kVertex) {
        if (*p != '/')
            return nullptr;
        p = scan::ShortInt(p + 1, texCoord);
        if constexpr (kForm == CornerForm::kVertexTexNormal) {
            if (p == nullptr || *p != '/')
                return nullptr;
            p = scan::ShortInt(p + 1, normal);
        }
    }
    if (p == nullptr)
        return nullptr;
    corner.vertex = vertex;
    if constexpr (CarriesTexCoords(kForm))
        corner.texCoord = texCoord;
    if constexpr (CarriesNormals(kForm))
        corner.normal = normal;
    return p;
}

template <CornerForm kForm>
constexpr int kValuesPerCorner = kForm == CornerForm::kVertex            ? 1
                                 : kForm == CornerForm::kVertexTexNormal ? 3
                                                                         : 2;

// ReadCornerAs on the stream, plain corners and the end of a face (a corner
// that cannot begin a number: nothing is consumed) taken in place.
template <CornerForm kForm>
[[gnu::always_inline]] inline int ReadStreamCorner(ScanStream& in, Corner& corner) {
    const char* const text = in.Text();
    if (const char* end = PlainCorner<kForm>(text, corner)) {
        in.Advance(end);
        return kValuesPerCorner<kForm>;
    }
    const unsigned char c = static_cast<unsigned char>(*text);
    if (!scan::IsDigit(c) && c != '-' && c != '+')
        return text == in.End() ? -1 : 0;
    return ReadCornerAs<kForm>(in, corner);
}

// FirstCorner on the buffered text, for a first corner plainly spelled in one
// of the four forms and ending at white space (so it is the whole token, and
// holds "//" exactly in the vertex//normal form): sets what FirstCorner sets
// and returns the token's end. Returns nullptr for anything else.
[[gnu::always_inline]] inline const char* PlainFirstCorner(const char* p, Corner& corner,
                                                           CornerForm& form, int& converted) {
    int vertex = 0, texCoord = 0, normal = 0;
    p = scan::ShortInt(p, vertex);
    if (p == nullptr)
        return nullptr;
    if (scan::IsSpace(static_cast<unsigned char>(*p))) {
        form = CornerForm::kVertex;
        converted = 1;
    } else if (*p != '/') {
        return nullptr;
    } else if (p[1] == '/') {
        p = scan::ShortInt(p + 2, normal);
        if (p == nullptr || !scan::IsSpace(static_cast<unsigned char>(*p)))
            return nullptr;
        form = CornerForm::kVertexNormal;
        converted = 2;
    } else {
        p = scan::ShortInt(p + 1, texCoord);
        if (p == nullptr)
            return nullptr;
        if (scan::IsSpace(static_cast<unsigned char>(*p))) {
            form = CornerForm::kVertexTex;
            converted = 2;
        } else {
            if (*p != '/')
                return nullptr;
            p = scan::ShortInt(p + 1, normal);
            if (p == nullptr || !scan::IsSpace(static_cast<unsigned char>(*p)))
                return nullptr;
            form = CornerForm::kVertexTexNormal;
            converted = 3;
        }
    }
    corner = Corner();
    corner.vertex = vertex;
    corner.texCoord = texCoord;
    corner.normal = normal;
    return p;
}

// The reading of one file into one mesh.
class ObjReader {
public:
    ObjReader(const std::string& path, const std::string& fileName, SurfaceMesh& mesh)
        : path_(path), fileName_(fileName), mesh_(mesh) {}

    bool Load();
    // Why Load failed: a message of its own, or none when the failure was
    // told on the console in the loader's own words.
    const InputError& error() const { return error_; }

private:
    // A statement where the second pass may be cut, and the first pass's
    // counts before it.
    struct Cut {
        long long offset = -1;  // of the statement's first token; -1: no cut
        int line = 0;
        long long vertices = 0, normals = 0, texCoords = 0;
        long long triangles = 0, normalTriangles = 0, texCoordTriangles = 0;
    };
    // Records the reason for refusing the file.
    void Refuse(int line, const char* format, ...) __attribute__((format(printf, 3, 4)));

    enum class Pass { kCount, kStore };

    template <Pass kPass>
    bool ReadPass();
    template <Pass kPass>
    bool ReadFace();
    template <Pass kPass, CornerForm kForm>
    bool ReadCorners(Corner first);
    bool ReadVertexLine(int kind);
    template <CornerForm kForm>
    bool StoreTriangle(const Corner& a, const Corner& b, const Corner& c);
    bool StoreTriangleChecked(Corner a, Corner b, Corner c);
    bool Resolve(int index, long long readSoFar, int count, const char* kindName, int line,
                 int& resolved);
    bool Allocate();
    bool CheckSecondPass();
    // The second pass, in two halves at the cut when there is one.
    bool ReadSecondPass();
    // The second half: stores from `cut` to the end (on a helper thread).
    bool ReadSecondHalf(const Cut& cut);
    // The second pass's counts are those the first pass had at the cut.
    bool IsAt(const Cut& cut) const;
    void ResetSecondPass();
    // A console line of the second pass; kept for later by the second half.
    void SecondPassLine(const char* format, long long value);

    const std::string& path_;      // opened
    const std::string& fileName_;  // named in the console lines and messages
    SurfaceMesh& mesh_;
    InputError error_;
    ScanStream in_;
    char token_[ScanStream::kTokenSize] = {0};

    // First pass: the counts, and the cut it notes.
    long long vertices_ = 0, normals_ = 0, texCoords_ = 0, triangles_ = 0;
    long long normalTriangles_ = 0, texCoordTriangles_ = 0;  // of faces carrying those
    long long cutFrom_ = -1;  // the first statement at or past this offset is the cut
    Cut cut_;
    // Second pass: the statement the first half stops at, and where it did.
    long long stopAt_ = -1;
    long long stoppedAt_ = -1;
    bool secondHalf_ = false;
    std::string secondHalfLines_;  // its console lines, printed once the halves join
    // Second pass: the write positions (index positions in slots).
    long long vertexPos_ = 0, normalPos_ = 0, texCoordPos_ = 0;
    long long vertexSlot_ = 0, normalSlot_ = 0, texCoordSlot_ = 0;

    // The face being read in the second pass.
    CornerForm form_ = CornerForm::kVertex;
    bool firstHasVertex_ = false;
    bool faceAtEnd_ = false;  // the file ended before the face's first corner
};

std::atomic<long long> halvedReadingFrom{4 << 20};

// A 1-based index within 1..count, as nearly every index is.
inline bool CountsFromOne(int index, int count) {
    return static_cast<unsigned>(index) - 1u < static_cast<unsigned>(count);
}

void ObjReader::Refuse(int line, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    error_.line = line;
    error_.message = text;
}

bool ObjReader::Load() {
    error_ = InputError{fileName_, 0, ""};
    ConsoleOut("Loading Mesh from file: %s\nFirst pass: get amount of data to store...\n",
               fileName_.c_str());
    if (!in_.Open(path_, nullptr)) {
        ConsoleOut("Couldn't open mesh file: %s \n", fileName_.c_str());
        return false;
    }
    if (ParallelThreads() > 1 && in_.size() >= halvedReadingFrom.load(std::memory_order_relaxed))
        cutFrom_ = in_.size() / 2;
    if (!ReadPass<Pass::kCount>())
        return false;

    if (vertices_ > kMaxElements || normals_ > kMaxElements || texCoords_ > kMaxElements ||
        triangles_ > kMaxTriangles) {
        Refuse(0,
               "too many elements to hold (%lld vertices, %lld normals, %lld texture "
               "coordinates, %lld triangles)",
               vertices_, normals_, texCoords_, triangles_);
        return false;
    }
    ConsoleOut(" Vertices: %d\n", static_cast<int>(vertices_));
    ConsoleOut(" Normals: %d\n", static_cast<int>(normals_));
    ConsoleOut(" Texcoords: %d\n", static_cast<int>(texCoords_));
    ConsoleOut(" Triangles: %d\n", static_cast<int>(triangles_));
    mesh_.vertexCount = static_cast<int>(vertices_);
    mesh_.texCoordCount = static_cast<int>(texCoords_);
    mesh_.normalCount = static_cast<int>(normals_);
    mesh_.triangleCount = static_cast<int>(triangles_);
    ConsoleOut(" Done!\nSecond Pass: get data... ");

    in_.Rewind();
    if (!Allocate())
        return false;
    if (!ReadSecondPass())
        return false;
    if (!CheckSecondPass())
        return false;
    ConsoleOut("Done!\n\n");

    try {
        AssignLarge(mesh_.vertexTetra, static_cast<size_t>(mesh_.vertexCount), -1);
        AssignLarge(mesh_.barycentric, static_cast<size_t>(mesh_.vertexCount),
                    SbVec4f(0.0f, 0.0f, 0.0f, 0.0f));
        AssignLarge(mesh_.faceNormals, static_cast<size_t>(mesh_.triangleCount),
                    SbVec3f(0.0f, 0.0f, 0.0f));
    } catch (const std::bad_alloc&) {
        Refuse(0, "not enough memory for %d vertices and %d triangles", mesh_.vertexCount,
               mesh_.triangleCount);
        return false;
    }
    mesh_.ComputeFaceNormals();
    return true;
}

bool ObjReader::Allocate() {
    const size_t slots = static_cast<size_t>(mesh_.triangleCount) * SurfaceMesh::kSlotsPerTriangle;
    try {
        AssignLarge(mesh_.vertices, static_cast<size_t>(mesh_.vertexCount),
                    SbVec3f(0.0f, 0.0f, 0.0f));
        AssignLarge(mesh_.normals, static_cast<size_t>(mesh_.normalCount),
                    SbVec3f(0.0f, 0.0f, 0.0f));
        AssignLarge(mesh_.texCoords, static_cast<size_t>(mesh_.texCoordCount), SbVec2f(0.0f, 0.0f));
        // Without normals (texture coordinates) no face can name one, so their
        // index array would hold nothing but -1.
        AssignLarge(mesh_.vertexIndices, slots, -1);
        AssignLarge(mesh_.normalIndices, mesh_.normalCount > 0 ? slots : 0, -1);
        AssignLarge(mesh_.texCoordIndices, mesh_.texCoordCount > 0 ? slots : 0, -1);
    } catch (const std::bad_alloc&) {
        Refuse(0, "not enough memory for %d vertices and %d triangles", mesh_.vertexCount,
               mesh_.triangleCount);
        return false;
    }
    return true;
}

template <ObjReader::Pass kPass>
bool ObjReader::ReadPass() {
    // Tokens are looked at where they lie; only one that is printed is copied.
    size_t length = 0;
    while (const char* token = in_.PeekToken(length)) {
        if constexpr (kPass == Pass::kCount) {
            if (cutFrom_ >= 0 && cut_.offset < 0 && in_.OffsetOf(token) >= cutFrom_) {
                cut_ = Cut{in_.OffsetOf(token), in_.line(), vertices_,        normals_,
                           texCoords_,          triangles_, normalTriangles_, texCoordTriangles_};
            }
        } else {
            if (stopAt_ >= 0 && in_.OffsetOf(token) >= stopAt_) {
                stoppedAt_ = in_.OffsetOf(token);
                return true;
            }
        }
        if (token[0] == 'v') {
            // The second character of "%255s"'s buffer, its NUL for "v" alone.
            const char kind = length > 1 ? token[1] : '\0';
            if (kind != '\0' && kind != 'n' && kind != 't') {
                in_.ReadToken(token_);
                if constexpr (kPass == Pass::kCount) {
                    ConsoleOut("LoadMesh(): Unknown token \"%s\".\n", token_);
                } else {
                    Refuse(in_.line(),
                           "unknown token \"%s\" where the first reading saw none: a "
                           "line longer than 255 characters, or more text after the "
                           "numbers of a v line?",
                           token_);
                }
                return false;
            }
            in_.Advance(token + length);
            if constexpr (kPass == Pass::kCount) {
                if (kind == '\0') {
                    ++vertices_;
                } else if (kind == 'n') {
                    ++normals_;
                } else {
                    ++texCoords_;
                }
                in_.SkipLine();
            } else {
                if (!ReadVertexLine(kind))
                    return false;
            }
        } else if (token[0] == 'f') {
            in_.Advance(token + length);
            if (!ReadFace<kPass>())
                return false;
        } else {
            in_.Advance(token + length);
            in_.SkipLine();
        }
        if constexpr (kPass == Pass::kStore) {
            if (vertexSlot_ > static_cast<long long>(mesh_.triangleCount) * 4) {
                SecondPassLine("Error: out of array boundary %lld\n", vertexSlot_);
                return false;
            }
        }
    }
    return true;
}

bool ObjReader::ReadVertexLine(int kind) {
    long long& position = kind == '\0' ? vertexPos_ : kind == 'n' ? normalPos_ : texCoordPos_;
    const int count = kind == '\0'  ? mesh_.vertexCount
                      : kind == 'n' ? mesh_.normalCount
                                    : mesh_.texCoordCount;
    if (position >= count) {
        const char* what = kind == '\0' ? "vertex" : kind == 'n' ? "normal" : "texture-coordinate";
        Refuse(in_.line(),
               "more %s lines on the second reading than the %d counted on the first: "
               "a line longer than 255 characters, or more text after the numbers of "
               "a v line?",
               what, count);
        return false;
    }
    // "%f %f %f" (or "%f %f"): the reading stops at the first number that
    // does not convert; what is not read stays 0.
    float value[3] = {0.0f, 0.0f, 0.0f};
    const int wanted = kind == 't' ? 2 : 3;
    for (int i = 0; i < wanted; ++i) {
        if (in_.ScanFloat(value[i]) != kScanConverted)
            break;
    }
    if (kind == '\0') {
        mesh_.vertices[position].setValue(value[0], value[1], value[2]);
    } else if (kind == 'n') {
        mesh_.normals[position].setValue(value[0], value[1], value[2]);
    } else {
        mesh_.texCoords[position].setValue(value[0], value[1]);
    }
    ++position;
    return true;
}

template <ObjReader::Pass kPass>
bool ObjReader::ReadFace() {
    Corner first;
    int converted = 0;
    CornerForm form = CornerForm::kVertex;
    bool hasToken = true;
    if (const char* end = PlainFirstCorner(in_.Text(), first, form, converted)) {
        in_.Advance(end);
    } else if (in_.ReadToken(token_)) {
        // Read into a corner of its own: `first` never leaves registers then,
        // and copying it costs no stall on the way through memory.
        Corner read;
        form = FirstCorner(token_, read, &converted);
        first = read;
    } else {
        // At the end of the file "%255s" leaves the face's own keyword in its
        // buffer; beginning with f, it converts nothing.
        hasToken = false;
        first = Corner();
    }
    first.line = in_.line();
    form_ = form;
    firstHasVertex_ = converted >= 1;
    faceAtEnd_ = !hasToken;
    // The form is fixed for the whole face: each gets its own loop.
    switch (form) {
        case CornerForm::kVertex:
            return ReadCorners<kPass, CornerForm::kVertex>(first);
        case CornerForm::kVertexNormal:
            return ReadCorners<kPass, CornerForm::kVertexNormal>(first);
        case CornerForm::kVertexTex:
            return ReadCorners<kPass, CornerForm::kVertexTex>(first);
        case CornerForm::kVertexTexNormal:
            return ReadCorners<kPass, CornerForm::kVertexTexNormal>(first);
    }
    return false;
}

template <ObjReader::Pass kPass, CornerForm kForm>
bool ObjReader::ReadCorners(Corner first) {
    if constexpr (kPass == Pass::kCount) {
        // Only whether a further corner converts anything counts here.
        Corner scratch;
        ReadStreamCorner<kForm>(in_, scratch);
        ReadStreamCorner<kForm>(in_, scratch);
        long long triangles = 1;
        while (ReadStreamCorner<kForm>(in_, scratch) > 0)
            ++triangles;
        triangles_ += triangles;
        if constexpr (CarriesNormals(kForm))
            normalTriangles_ += triangles;
        if constexpr (CarriesTexCoords(kForm))
            texCoordTriangles_ += triangles;
        return true;
    } else {
        Corner second = first, third = first;
        ReadStreamCorner<kForm>(in_, second);
        second.line = in_.line();
        ReadStreamCorner<kForm>(in_, third);
        third.line = in_.line();
        if (!StoreTriangle<kForm>(first, second, third))
            return false;
        Corner previous = third;
        for (;;) {
            Corner next = first;
            if (ReadStreamCorner<kForm>(in_, next) <= 0)
                break;
            next.line = in_.line();
            if (!StoreTriangle<kForm>(first, previous, next))
                return false;
            previous = next;
        }
        return true;
    }
}

bool ObjReader::Resolve(int index, long long readSoFar, int count, const char* kindName, int line,
                        int& resolved) {
    if (index > 0) {
        if (index <= count) {
            resolved = index - 1;
            return true;
        }
        Refuse(line, "face index %d is beyond the file's %d %s", index, count, kindName);
        return false;
    }
    if (index < 0) {
        const long long fromEnd = readSoFar + index;
        if (fromEnd >= 0) {
            resolved = static_cast<int>(fromEnd);
            return true;
        }
        Refuse(line, "face index %d reaches back past the %lld %s read before it", index, readSoFar,
               kindName);
        return false;
    }
    Refuse(line, "face index 0 names no %s: indices count from 1", kindName);
    return false;
}

// The usual triangle written at once: it fits, its face has a first corner,
// and every index counts from 1 within its kind. Anything else goes through
// StoreTriangleChecked, which reports what is wrong.
template <CornerForm kForm>
[[gnu::always_inline]] inline bool ObjReader::StoreTriangle(const Corner& a, const Corner& b,
                                                            const Corner& c) {
    constexpr bool kNormals = CarriesNormals(kForm);
    constexpr bool kTexCoords = CarriesTexCoords(kForm);
    const auto countFromOne = [&](int Corner::*index, int count) {
        return CountsFromOne(a.*index, count) && CountsFromOne(b.*index, count) &&
               CountsFromOne(c.*index, count);
    };
    const auto put = [&](int Corner::*index, std::vector<int>& indices, long long& slot) {
        int* slots = indices.data() + slot;
        slots[0] = a.*index - 1;
        slots[1] = b.*index - 1;
        slots[2] = c.*index - 1;
        slots[3] = -1;
        slot += 4;
    };
    bool plain = firstHasVertex_ && !faceAtEnd_ &&
                 vertexSlot_ + 4 <= static_cast<long long>(mesh_.triangleCount) * 4 &&
                 countFromOne(&Corner::vertex, mesh_.vertexCount);
    if constexpr (kNormals)
        plain = plain && countFromOne(&Corner::normal, mesh_.normalCount);
    if constexpr (kTexCoords)
        plain = plain && countFromOne(&Corner::texCoord, mesh_.texCoordCount);
    if (!plain)
        return StoreTriangleChecked(a, b, c);
    put(&Corner::vertex, mesh_.vertexIndices, vertexSlot_);
    if constexpr (kNormals)
        put(&Corner::normal, mesh_.normalIndices, normalSlot_);
    if constexpr (kTexCoords)
        put(&Corner::texCoord, mesh_.texCoordIndices, texCoordSlot_);
    return true;
}

bool ObjReader::StoreTriangleChecked(Corner a, Corner b, Corner c) {
    const long long capacity = static_cast<long long>(mesh_.triangleCount) * 4;
    const bool fits = vertexSlot_ + 4 <= capacity;
    if (fits) {
        if (faceAtEnd_) {
            Refuse(a.line, "the file ends in a face without corners");
            return false;
        }
        if (!firstHasVertex_) {
            Refuse(a.line, "face corner \"%s\" holds no vertex index", token_);
            return false;
        }
    }
    // One index array's slots: resolved while they fit, counted always. The
    // normal and texture-coordinate positions never pass the vertex
    // position, so whatever fits there fits here. An index array is written
    // only once all three resolve, which no index does into a kind the file
    // has none of (its array is empty).
    const auto put = [&](int Corner::*index, long long readSoFar, int count, const char* kindName,
                         std::vector<int>& indices, long long& slot) {
        if (fits) {
            int resolved[3];
            int* out = resolved;
            for (const Corner* corner : {&a, &b, &c}) {
                if (!Resolve(corner->*index, readSoFar, count, kindName, corner->line, *out++))
                    return false;
            }
            int* slots = &indices[static_cast<size_t>(slot)];
            slots[0] = resolved[0];
            slots[1] = resolved[1];
            slots[2] = resolved[2];
            slots[3] = -1;
        }
        slot += 4;
        return true;
    };
    if (!put(&Corner::vertex, vertexPos_, mesh_.vertexCount, "vertices", mesh_.vertexIndices,
             vertexSlot_))
        return false;
    if (CarriesNormals(form_) && !put(&Corner::normal, normalPos_, mesh_.normalCount, "normals",
                                      mesh_.normalIndices, normalSlot_))
        return false;
    if (CarriesTexCoords(form_) &&
        !put(&Corner::texCoord, texCoordPos_, mesh_.texCoordCount, "texture coordinates",
             mesh_.texCoordIndices, texCoordSlot_))
        return false;
    return true;
}

void ObjReader::SecondPassLine(const char* format, long long value) {
    if (!secondHalf_) {
        ConsoleOut(format, value);
        return;
    }
    char text[128];
    std::snprintf(text, sizeof text, format, value);
    secondHalfLines_ += text;
}

bool ObjReader::IsAt(const Cut& cut) const {
    return vertexPos_ == cut.vertices && normalPos_ == cut.normals &&
           texCoordPos_ == cut.texCoords && vertexSlot_ == 4 * cut.triangles &&
           normalSlot_ == 4 * cut.normalTriangles && texCoordSlot_ == 4 * cut.texCoordTriangles &&
           in_.line() == cut.line;
}

void ObjReader::ResetSecondPass() {
    vertexPos_ = normalPos_ = texCoordPos_ = 0;
    vertexSlot_ = normalSlot_ = texCoordSlot_ = 0;
    stopAt_ = stoppedAt_ = -1;
    in_.Rewind();
}

bool ObjReader::ReadSecondHalf(const Cut& cut) {
    error_ = InputError{fileName_, 0, ""};
    if (!in_.Open(path_, nullptr) || !in_.SeekTo(cut.offset, cut.line))
        return false;
    secondHalf_ = true;
    vertexPos_ = cut.vertices;
    normalPos_ = cut.normals;
    texCoordPos_ = cut.texCoords;
    vertexSlot_ = 4 * cut.triangles;
    normalSlot_ = 4 * cut.normalTriangles;
    texCoordSlot_ = 4 * cut.texCoordTriangles;
    return ReadPass<Pass::kStore>();
}

bool ObjReader::ReadSecondPass() {
    if (cut_.offset < 0)
        return ReadPass<Pass::kStore>();
    // The halves write the arrays at disjoint places: the second from the
    // counts at the cut on, the first below them.
    ObjReader second(path_, fileName_, mesh_);
    bool secondRead = false;
    auto readSecond = [&] { secondRead = second.ReadSecondHalf(cut_); };
    BackgroundTask background;
    background.Start(readSecond);
    stopAt_ = cut_.offset;
    const bool firstRead = ReadPass<Pass::kStore>();
    background.Wait();
    // Failing before the cut, the first half's failure is the file's first.
    if (!firstRead)
        return false;
    if (second.secondHalf_ && stoppedAt_ == cut_.offset && IsAt(cut_)) {
        if (!second.secondHalfLines_.empty())
            ConsoleOut("%s", second.secondHalfLines_.c_str());
        error_ = second.error_;
        vertexPos_ = second.vertexPos_;
        normalPos_ = second.normalPos_;
        texCoordPos_ = second.texCoordPos_;
        vertexSlot_ = second.vertexSlot_;
        normalSlot_ = second.normalSlot_;
        texCoordSlot_ = second.texCoordSlot_;
        return secondRead;
    }
    // The readings part ways before the cut (an unusual file): read it all
    // again in one piece, over arrays as the first pass sized them.
    ResetSecondPass();
    if (!Allocate())
        return false;
    return ReadPass<Pass::kStore>();
}

bool ObjReader::CheckSecondPass() {
    const long long triangles = vertexSlot_ / 4;
    if (vertexPos_ == mesh_.vertexCount && normalPos_ == mesh_.normalCount &&
        texCoordPos_ == mesh_.texCoordCount && triangles == mesh_.triangleCount)
        return true;
    Refuse(0,
           "the second reading found %lld vertices, %lld normals, %lld texture "
           "coordinates and %lld triangles where the first counted %d, %d, %d and %d: "
           "a line longer than 255 characters, or more text after the numbers of a v "
           "line?",
           vertexPos_, normalPos_, texCoordPos_, triangles, mesh_.vertexCount, mesh_.normalCount,
           mesh_.texCoordCount, mesh_.triangleCount);
    return false;
}

}  // namespace

void SurfaceMesh::SetHalvedReadingFrom(long long bytes) {
    halvedReadingFrom.store(bytes, std::memory_order_relaxed);
}

Status SurfaceMesh::LoadMesh(const std::string& fileName, const std::string& folder) {
    const std::string path = PathInFolder(folder, fileName);
    ObjReader reader(path, fileName, *this);
    if (reader.Load())
        return Done{};
    Clear();
    return reader.error();
}

}  // namespace wobble
