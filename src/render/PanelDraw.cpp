#include "render/PanelDraw.h"

#include <GL/gl.h>
#include <imgui/backends/imgui_impl_opengl2.h>
#include <imgui/imgui.h>

namespace wobble {

void StartPanelDrawing() {
    ImGui_ImplOpenGL2_Init();
}

void PreparePanelDrawing() {
    ImGui_ImplOpenGL2_NewFrame();
}

void DrawPanel() {
    ImGui::Render();
    // The back end restores most of what it changes, but leaves the client
    // arrays off and the current colour as its last vertex had it; the whole
    // state is saved around it, so the next frame starts from the scene's.
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glPopAttrib();
    glPopClientAttrib();
}

void StopPanelDrawing() {
    ImGui_ImplOpenGL2_Shutdown();
}

}  // namespace wobble
