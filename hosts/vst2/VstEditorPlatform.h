// What the VST 2 editor opcodes need from the platform's window layer.
#pragma once

class IGraphics;

// effEditIdle on the host's UI thread: Linux serves the window's events and redraws what is
// dirty; Windows does nothing (the window has its own timer).
void EditorIdle(IGraphics* graphics);
