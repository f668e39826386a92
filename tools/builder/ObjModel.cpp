#include "builder/ObjModel.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "text/InputError.h"

namespace wobble::builder {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// A cursor over one logical line (continuations already joined).
struct Cursor {
    const char* at;
    const char* end;

    void SkipBlanks() {
        while (at < end && IsBlank(*at))
            ++at;
    }
    bool AtEnd() {
        SkipBlanks();
        return at >= end;
    }
    // The next run of non-blank characters.
    std::string_view Token() {
        SkipBlanks();
        const char* start = at;
        while (at < end && !IsBlank(*at))
            ++at;
        return std::string_view(start, static_cast<size_t>(at - start));
    }
};

// from_chars does not take a leading '+', which some exporters write.
const char* SkipPlus(const char* first, const char* last) {
    return (first < last && *first == '+') ? first + 1 : first;
}

bool ParseDouble(std::string_view token, double& value) {
    const char* first = SkipPlus(token.data(), token.data() + token.size());
    const char* last = token.data() + token.size();
    const auto result = std::from_chars(first, last, value);
    return result.ec == std::errc() && result.ptr == last;
}

// The vertex index of a corner: the digits before its first '/'.
bool ParseCornerIndex(std::string_view token, long long& index) {
    const char* last = token.data() + token.size();
    const char* slash = static_cast<const char*>(std::memchr(token.data(), '/', token.size()));
    const char* numberEnd = slash != nullptr ? slash : last;
    const char* first = SkipPlus(token.data(), numberEnd);
    const auto result = std::from_chars(first, numberEnd, index);
    return result.ec == std::errc() && result.ptr == numberEnd && first != numberEnd;
}

std::string Printable(std::string_view token) {
    std::string shown;
    for (char c : token.substr(0, 40))
        shown += (static_cast<unsigned char>(c) < 32 || c == 127) ? '?' : c;
    if (token.size() > 40)
        shown += "...";
    return shown;
}

}  // namespace

void ObjModel::Clear() {
    vertices.clear();
    triangles.clear();
    faceCount = 0;
    polygonCount = 0;
    shortFaceCount = 0;
    collapsedTriangleCount = 0;
    lineCount = 0;
}

Status ObjModel::Load(const std::string& path) {
    Clear();
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        return MakeInputError(path, 0, "is a folder, not an OBJ file");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return MakeInputError(path, 0, "cannot open the file: %s", std::strerror(errno));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        return MakeInputError(path, 0, "cannot read the file: %s", std::strerror(errno));
    }
    return Parse(path, text.str());
}

Status ObjModel::Parse(const std::string& name, const std::string& text) {
    Clear();
    std::string joined;                 // a logical line made of continued physical lines
    std::vector<long long> corners;     // scratch: the resolved corners of one face
    long long largestForwardIndex = 0;  // a positive index beyond the vertices read so far
    int largestForwardLine = 0;

    // Every refusal leaves the model empty, so that nothing half-read is used.
    auto refuse = [&](InputError error) -> Status {
        Clear();
        return error;
    };

    size_t pos = 0;
    int line = 0;
    while (pos < text.size()) {
        // Gather one logical line; a backslash at the end of a physical line continues it.
        const int firstLine = line + 1;
        joined.clear();
        for (;;) {
            ++line;
            size_t eol = text.find('\n', pos);
            if (eol == std::string::npos)
                eol = text.size();
            size_t contentEnd = eol;
            if (contentEnd > pos && text[contentEnd - 1] == '\r')
                --contentEnd;
            const bool continues = contentEnd > pos && text[contentEnd - 1] == '\\';
            joined.append(text, pos, (continues ? contentEnd - 1 : contentEnd) - pos);
            pos = eol + 1;
            if (!continues || pos >= text.size())
                break;
            joined += ' ';
        }

        Cursor cursor{joined.data(), joined.data() + joined.size()};
        const std::string_view keyword = cursor.Token();
        if (keyword == "v") {
            double xyz[3];
            for (int c = 0; c < 3; ++c) {
                const std::string_view token = cursor.Token();
                if (token.empty()) {
                    return refuse(MakeInputError(name, firstLine,
                                                 "vertex %zu has %d of its 3 coordinates",
                                                 vertices.size() + 1, c));
                }
                if (!ParseDouble(token, xyz[c])) {
                    return refuse(MakeInputError(name, firstLine,
                                                 "vertex coordinate \"%s\" is not a number",
                                                 Printable(token).c_str()));
                }
                if (!std::isfinite(xyz[c])) {
                    return refuse(MakeInputError(name, firstLine,
                                                 "vertex %zu has a coordinate that is not finite",
                                                 vertices.size() + 1));
                }
            }
            if (vertices.size() >= static_cast<size_t>(INT_MAX / 4)) {
                return refuse(
                    MakeInputError(name, firstLine, "more than %d vertices", INT_MAX / 4));
            }
            vertices.emplace_back(xyz[0], xyz[1], xyz[2]);
        } else if (keyword == "f" || keyword == "fo") {
            corners.clear();
            while (!cursor.AtEnd()) {
                const std::string_view token = cursor.Token();
                long long index = 0;
                if (!ParseCornerIndex(token, index)) {
                    return refuse(MakeInputError(
                        name, firstLine, "face corner \"%s\" does not start with a vertex index",
                        Printable(token).c_str()));
                }
                const long long known = static_cast<long long>(vertices.size());
                if (index == 0) {
                    return refuse(MakeInputError(name, firstLine,
                                                 "face corner index 0 (indices start at 1)"));
                }
                if (index < 0) {
                    // Relative to the vertices read so far: -1 is the latest.
                    if (-index > known) {
                        return refuse(MakeInputError(
                            name, firstLine,
                            "face corner %lld reaches back before the first vertex (%lld "
                            "vertices so far)",
                            index, known));
                    }
                    index = known + index;
                } else {
                    // A forward reference is fine as long as the vertex turns up later.
                    if (index > known && index > largestForwardIndex) {
                        if (index > INT_MAX / 4) {
                            return refuse(MakeInputError(
                                name, firstLine, "face corner %lld is beyond any vertex", index));
                        }
                        largestForwardIndex = index;
                        largestForwardLine = firstLine;
                    }
                    index -= 1;
                }
                corners.push_back(index);
            }
            if (corners.size() < 3) {
                ++shortFaceCount;
                continue;
            }
            ++faceCount;
            if (corners.size() > 3)
                ++polygonCount;
            for (size_t k = 1; k + 1 < corners.size(); ++k) {
                const int a = static_cast<int>(corners[0]);
                const int b = static_cast<int>(corners[k]);
                const int c = static_cast<int>(corners[k + 1]);
                if (a == b || b == c || a == c) {
                    ++collapsedTriangleCount;
                    continue;
                }
                triangles.push_back({a, b, c});
            }
        }
        // Everything else (vn, vt, vp, g, o, s, l, p, usemtl, mtllib, comments,
        // free-form statements) says nothing about the shape.
    }
    lineCount = line;
    if (largestForwardIndex > static_cast<long long>(vertices.size())) {
        return refuse(MakeInputError(name, largestForwardLine,
                                     "face corner %lld is beyond the file's %zu vertices",
                                     largestForwardIndex, vertices.size()));
    }
    return Done{};
}

}  // namespace wobble::builder
