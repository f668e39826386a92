#pragma once
// The heap policy of a process that draws. A software rasteriser bins each
// frame's triangles into blocks it mallocs while the frame is set up and
// frees once the frame is drawn: tens of megabytes a frame for a surface of
// a million triangles. glibc's malloc gives the top of its heap back to the
// kernel whenever more than its trim threshold (128 KiB at first) lies free
// there, so every frame would take those megabytes afresh, a page fault per
// 4 KiB page. glibc raises the threshold by itself only after a program has
// freed a block of several megabytes that it had mapped on its own, which a
// program that sizes its arrays once never does. So the threshold is set
// here, once, before the first frame.

namespace wobble {

// Keeps what a frame frees in the heap for the next one: blocks up to the
// largest that glibc will serve from its heap come from it, and free memory
// at its top is given back only beyond a few hundred megabytes. Returns
// false where the allocator takes no such settings (another malloc, or a
// sanitizer's), which changes nothing else. Call once, early.
bool KeepFrameMemory();

}  // namespace wobble
