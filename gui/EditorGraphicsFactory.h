// How a module makes its editor surface. The instrument asks CreateEditorGraphics; a module with
// a window layer installs its own factory at load time (before any instance is made), every other
// build gets the offscreen surface. The module handle is where the editor's images live.
#pragma once

class IGraphics;
class IPlugBase;

using EditorGraphicsFactory = IGraphics* (*)(IPlugBase* plug, int width, int height, void* module);

// Module load, before instances exist. Null restores the offscreen default.
void SetEditorGraphicsFactory(EditorGraphicsFactory factory) noexcept;
void SetEditorGraphicsModule(void* module) noexcept;
void* EditorGraphicsModule() noexcept;

// Whether a window layer's factory is installed (surfaces can open real windows).
bool EditorGraphicsHasWindow() noexcept;

// A new surface of width x height for plug (caller owns it); never null.
IGraphics* CreateEditorGraphics(IPlugBase* plug, int width, int height);
