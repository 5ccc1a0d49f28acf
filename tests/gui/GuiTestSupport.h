// Shared pieces of the editor tests: a plug-in that logs what the surface tells the host, and
// controls that log the events they receive.
#pragma once

#include "gui/IControl.h"
#include "gui/IGraphicsOffscreen.h"
#include "tests/core/TestPlug.h"

#include <string>
#include <vector>

// TestPlug with a choice of host interface and a logged host parameter menu.
class GuiTestPlug : public TestPlug {
 public:
  explicit GuiTestPlug(int api = kApiVst3) : TestPlug(16), mApi(api) {}
  int HostApi() override { return mApi; }
  void ShowHostParamMenu(int idx, int x, int y) override {
    log.push_back("menu " + std::to_string(idx) + " " + std::to_string(x) + "," + std::to_string(y));
  }

 private:
  int mApi;
};

// Logs "<name> <event>" into a shared list; draws nothing.
class LogControl : public IControl {
 public:
  LogControl(IPlugBase* plug, const GuiRect& rect, int paramIdx, std::vector<std::string>* out, std::string name)
      : IControl(plug, rect, paramIdx), mOut(out), mName(std::move(name)) {}

  void HandleMouseDown(int, int, const MouseMods& mods) override { Log(mods.R ? "down R" : "down"); }
  void HandleMouseUp(int, int, const MouseMods&) override { Log("up"); }
  void HandleMouseDrag(int, int, int dX, int dY, const MouseMods&) override {
    Log("drag " + std::to_string(dX) + "," + std::to_string(dY));
  }
  void HandleDoubleClick(int, int, const MouseMods&) override { Log("double"); }
  void HandleWheel(int, int, const MouseMods&, int steps) override { Log("wheel " + std::to_string(steps)); }
  bool HandleKeyDown(int, int, int key) override {
    Log("key " + std::to_string(key));
    return takesKeys;
  }
  void HandleMouseOver(int, int, const MouseMods&) override { Log("over"); }
  void HandleMouseOut() override { Log("out"); }
  bool Draw(IGraphics*) override {
    Log("draw");
    return true;
  }
  using IControl::SetDisabled;

  bool takesKeys = true;

 private:
  void Log(const std::string& event) { mOut->push_back(mName + " " + event); }
  std::vector<std::string>* mOut;
  std::string mName;
};

// A LogControl whose text entry the test opens and limits itself.
class EntryLogControl : public LogControl {
 public:
  using LogControl::LogControl;
  void Prompt() { PromptUserInput(); }
  void SetEntryLength(int n) { mTextEntryLength = n; }
};
