#pragma once
// Drawing the panel: Dear ImGui's OpenGL 2 back end, which draws with
// OpenGL 1.1 client arrays and one texture (its font). The application
// builds the panel's widgets (app/Panel.h); this turns them into GL calls.

namespace wobble {

// The back end, once the GL context exists; no GL call until the first frame.
void StartPanelDrawing();
// Before each of the panel's frames: makes the font texture the first time.
void PreparePanelDrawing();
// Ends the panel's frame and draws it over the picture, leaving every GL
// state it touches (client arrays included) as it found it.
void DrawPanel();
// Releases the font texture; while the GL context still exists.
void StopPanelDrawing();

}  // namespace wobble
