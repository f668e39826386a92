// draw-floor: what one wobble frame costs to draw and nothing else. The triangles of an OBJ
// surface and a 100 x 100 water grid, lit with the program's fixed state, seen from behind the
// body as the starting camera sees it; no simulation, no deformation.
//
//   draw_floor SURFACE.obj FRAMES            immediate mode (glBegin / glNormal / glVertex)
//   draw_floor SURFACE.obj FRAMES --arrays   OpenGL 1.1 client vertex arrays: the floor
//
// Prints "us_per_frame N" (wall time of the frame loop over FRAMES). Variants of the arrays path,
// each chosen by an environment variable, to compare like with like:
//   DRAW_FLOOR_FLAT=1     flat shading (the corners all carry the face normal either way)
//   DRAW_FLOOR_STRIDE4=1  one normal per triangle read a float apart
//   DRAW_FLOOR_PIECES=1   the surface in draws of 32768 triangles
//   DRAW_FLOOR_FENCE=1    a fence after each frame, waiting for the one before the previous
//   DRAW_FLOOR_CHECKSUM=1 print an FNV-1a checksum of the last frame's pixels
//   DRAW_FLOOR_PPM=FILE   write the last frame's pixels to FILE (PPM), to compare the views
// It has no code of the program's, so that a fault of the program's cannot hide in the floor
// it is held against; bench_frame runs it beside the program (bench/app/FrameBench.cpp).
// Build alone: g++ -O2 -std=c++17 DrawFloor.cpp -o draw_floor -lSDL2 -lGL -lGLU -ltinyobjloader
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <SDL2/SDL.h>
#include <tiny_obj_loader.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: draw_floor SURFACE.obj FRAMES [--arrays]\n");
        return 2;
    }
    tinyobj::attrib_t at;
    std::vector<tinyobj::shape_t> sh;
    std::vector<tinyobj::material_t> mt;
    std::string w, e;
    // A surface that does not load must not pass for a floor of no triangles.
    if (!tinyobj::LoadObj(&at, &sh, &mt, &w, &e, argv[1], nullptr, true)) {
        fprintf(stderr, "draw_floor: %s: %s\n", argv[1], e.c_str());
        return 1;
    }
    std::vector<float> tri;  // 9 floats per triangle
    for (auto& s : sh)
        for (size_t i = 0; i + 2 < s.mesh.indices.size(); i += 3)
            for (int k = 0; k < 3; ++k) {
                int v = s.mesh.indices[i + k].vertex_index;
                for (int c = 0; c < 3; ++c)
                    tri.push_back(at.vertices[3 * v + c]);
            }
    size_t T = tri.size() / 9;
    // The camera: at the surface's centre from 150 behind along -x and 70 up, as the program's
    // starting camera sees a body heading along +x; DRAW_FLOOR_EYE="x y z" and
    // DRAW_FLOOR_TARGET="x y z" place it elsewhere.
    double lo[3] = {1e30, 1e30, 1e30}, hi[3] = {-1e30, -1e30, -1e30};
    for (size_t i = 0; i < tri.size(); ++i) {
        lo[i % 3] = std::min<double>(lo[i % 3], tri[i]);
        hi[i % 3] = std::max<double>(hi[i % 3], tri[i]);
    }
    double centre[3], eye[3];
    for (int c = 0; c < 3; ++c)
        centre[c] = T ? 0.5 * (lo[c] + hi[c]) : 0.0;
    eye[0] = centre[0] - 150;
    eye[1] = centre[1] + 70;
    eye[2] = centre[2];
    if (const char* e = getenv("DRAW_FLOOR_EYE"))
        sscanf(e, "%lf %lf %lf", &eye[0], &eye[1], &eye[2]);
    if (const char* t = getenv("DRAW_FLOOR_TARGET"))
        sscanf(t, "%lf %lf %lf", &centre[0], &centre[1], &centre[2]);
    std::vector<float> fn(3 * T, 0.f);
    for (size_t t = 0; t < T; ++t)
        fn[3 * t + 1] = 1.f;
    const int N = 100;
    std::vector<float> wp(3 * N * N), wn(3 * N * N);
    for (int i = 0; i < N; ++i)
        for (int j = 0; j < N; ++j) {
            float* p = &wp[3 * (i * N + j)];
            p[0] = i * 4.f;
            p[1] = -1.f;
            p[2] = j * 4.f;
            float* n = &wn[3 * (i * N + j)];
            n[0] = 0;
            n[1] = 1;
            n[2] = 0;
        }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if (SDL_Init(SDL_INIT_VIDEO)) {
        fprintf(stderr, "%s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_Window* win = SDL_CreateWindow("OpenGL", 0, 0, 800, 600, SDL_WINDOW_OPENGL);
    SDL_GLContext ctx = SDL_GL_CreateContext(win);
    if (!ctx) {
        fprintf(stderr, "%s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);
    glClearColor(0.3f, 0.3f, 1.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glShadeModel(getenv("DRAW_FLOOR_FLAT") ? GL_FLAT : GL_SMOOTH);
    float amb[4] = {0.6f, 0.6f, 0.6f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, amb);
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, 800.0 / 600, 1, 2000);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_LIGHT0);
    float lp[4] = {-10, 5, 2, 0}, dif[4] = {0.45f, 0.25f, 0, 1}, wc[4] = {0, 0, 0.8f, 1};
    int frames = atoi(argv[2]);
    bool arrays = argc > 3 && std::string(argv[3]) == "--arrays";
    std::vector<float> vn(9 * T);  // per-corner copy of the face normal for glDrawArrays
    for (size_t t = 0; t < T; ++t)
        for (int k = 0; k < 3; ++k)
            for (int c = 0; c < 3; ++c)
                vn[9 * t + 3 * k + c] = fn[3 * t + c];
    std::vector<unsigned> wi;
    for (int i = 0; i < N - 1; ++i)
        for (int j = 0; j < N - 1; ++j) {
            unsigned a = i * N + j, b = (i + 1) * N + j, c = i * N + j + 1, d = (i + 1) * N + j + 1;
            unsigned q[6] = {a, b, c, d, c, b};
            wi.insert(wi.end(), q, q + 6);
        }
    auto t0 = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f) {
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) {
        }
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], 0, 1, 0);
        glLightfv(GL_LIGHT0, GL_POSITION, lp);
        if (arrays) {
            glMaterialfv(GL_FRONT, GL_DIFFUSE, dif);
            glColor3f(1, 1, 1);
            glEnable(GL_LIGHTING);
            glEnableClientState(GL_VERTEX_ARRAY);
            glEnableClientState(GL_NORMAL_ARRAY);
            static std::vector<float> fnp;
            if (fnp.empty()) {
                fnp.assign(3 * T + 2, 0.f);
                for (size_t t = 0; t < T; ++t)
                    for (int c = 0; c < 3; ++c)
                        fnp[3 * t + 2 + c] = fn[3 * t + c];
            }
            glVertexPointer(3, GL_FLOAT, 0, tri.data());
            if (getenv("DRAW_FLOOR_STRIDE4"))
                glNormalPointer(GL_FLOAT, 4, fnp.data());
            else
                glNormalPointer(GL_FLOAT, 0, vn.data());
            if (getenv("DRAW_FLOOR_PIECES")) {
                for (size_t b = 0; b < T; b += 32768) {
                    size_t e = std::min(T, b + 32768);
                    glDrawArrays(GL_TRIANGLES, 3 * b, 3 * (e - b));
                }
            } else
                glDrawArrays(GL_TRIANGLES, 0, (GLsizei)(3 * T));
            glDisable(GL_LIGHTING);
            glEnable(GL_LIGHTING);
            glColor3f(0, 0, 1);
            glMaterialfv(GL_FRONT, GL_DIFFUSE, wc);
            glVertexPointer(3, GL_FLOAT, 0, wp.data());
            glNormalPointer(GL_FLOAT, 0, wn.data());
            glDrawElements(GL_TRIANGLES, (GLsizei)wi.size(), GL_UNSIGNED_INT, wi.data());
            glDisableClientState(GL_VERTEX_ARRAY);
            glDisableClientState(GL_NORMAL_ARRAY);
            glDisable(GL_LIGHTING);
            if (getenv("DRAW_FLOOR_FENCE")) {
                static auto fs = (PFNGLFENCESYNCPROC)SDL_GL_GetProcAddress("glFenceSync");
                static auto cw = (PFNGLCLIENTWAITSYNCPROC)SDL_GL_GetProcAddress("glClientWaitSync");
                static auto ds = (PFNGLDELETESYNCPROC)SDL_GL_GetProcAddress("glDeleteSync");
                static GLsync q[3] = {};
                GLsync s = fs(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
                if (q[0]) {
                    cw(q[0], GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000ull);
                    ds(q[0]);
                }
                q[0] = q[1];
                q[1] = s;
            }
            if (f + 1 < frames)
                SDL_GL_SwapWindow(win);
            continue;
        }
        glMaterialfv(GL_FRONT, GL_DIFFUSE, dif);
        glColor3f(0, 0, 0);
        glEnable(GL_LIGHTING);
        glBegin(GL_TRIANGLES);
        for (size_t t = 0; t < T; ++t) {
            glColor3f(1, 1, 1);
            glNormal3fv(&fn[3 * t]);
            glVertex3fv(&tri[9 * t]);
            glVertex3fv(&tri[9 * t + 3]);
            glVertex3fv(&tri[9 * t + 6]);
        }
        glEnd();
        glDisable(GL_LIGHTING);
        glEnable(GL_LIGHTING);
        glBegin(GL_TRIANGLES);
        glColor3f(0, 0, 1);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, wc);
        for (int i = 0; i < N - 1; ++i)
            for (int j = 0; j < N - 1; ++j) {
                int a = i * N + j, b = (i + 1) * N + j, c = i * N + j + 1, d = (i + 1) * N + j + 1;
                int q[6] = {a, b, c, d, c, b};
                for (int k = 0; k < 6; ++k) {
                    glNormal3fv(&wn[3 * q[k]]);
                    glVertex3fv(&wp[3 * q[k]]);
                }
            }
        glEnd();
        glDisable(GL_LIGHTING);
        if (f + 1 < frames)
            SDL_GL_SwapWindow(win);
    }
    glFinish();
    if (const char* shot = getenv("DRAW_FLOOR_PPM")) {  // the last frame as a PPM picture
        std::vector<unsigned char> px(800 * 600 * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, px.data());
        if (FILE* f = fopen(shot, "wb")) {
            fprintf(f, "P6 800 600 255\n");
            for (int row = 599; row >= 0; --row)
                fwrite(&px[static_cast<size_t>(row) * 800 * 3], 1, 800 * 3, f);
            fclose(f);
        }
    }
    if (getenv("DRAW_FLOOR_CHECKSUM")) {  // FNV-1a of the last frame's back buffer, to compare the
                                          // two paths' pictures
        std::vector<unsigned char> px(800 * 600 * 4);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
        unsigned long long h = 1469598103934665603ull;
        for (unsigned char c : px) {
            h ^= c;
            h *= 1099511628211ull;
        }
        printf("checksum %016llx\n", h);
    }
    double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count() /
        frames;
    printf("triangles %zu\nus_per_frame %.1f\n", T, us);
    SDL_Quit();
}
