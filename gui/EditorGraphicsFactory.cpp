#include "gui/EditorGraphicsFactory.h"

#include "gui/IGraphicsOffscreen.h"

#include <atomic>

namespace {
IGraphics* MakeOffscreen(IPlugBase* plug, int width, int height, void* module) {
  return new IGraphicsOffscreen(plug, width, height, module);
}

std::atomic<EditorGraphicsFactory> gFactory{&MakeOffscreen};
std::atomic<void*> gModule{nullptr};
}  // namespace

void SetEditorGraphicsFactory(EditorGraphicsFactory factory) noexcept {
  gFactory.store(factory ? factory : &MakeOffscreen);
}

void SetEditorGraphicsModule(void* module) noexcept { gModule.store(module); }

bool EditorGraphicsHasWindow() noexcept { return gFactory.load() != &MakeOffscreen; }

void* EditorGraphicsModule() noexcept { return gModule.load(); }

IGraphics* CreateEditorGraphics(IPlugBase* plug, int width, int height) {
  return gFactory.load()(plug, width, height, gModule.load());
}
