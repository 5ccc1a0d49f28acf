// What the VST 2 editor opcodes need from the platform's window layer.
#pragma once

class IGraphics;

// Whether the surface is a window layer that can open inside a host window (the offscreen
// surface of tests and tools is not).
bool IsEditorWindowLayer(IGraphics* graphics) noexcept;
// effEditIdle on the host's UI thread: Linux serves the window's events and redraws what is
// dirty; Windows does nothing (the window has its own timer).
void EditorIdle(IGraphics* graphics);
