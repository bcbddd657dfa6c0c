// A platform that hands every call to another one, for benchmarks that answer a few calls themselves.
#pragma once

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace bench {

// Forwards every call to `inner`; a benchmark overrides the calls it scripts
// (requesters, message boxes, the waiting for events) and keeps the rest real.
class ForwardingPlatform : public platform::Platform {
 public:
  explicit ForwardingPlatform(platform::Platform& inner) : m_inner(inner) {}

  bool OpenWindow(const platform::WindowSpec& spec) override { return m_inner.OpenWindow(spec); }
  void CloseWindow(int window) override { m_inner.CloseWindow(window); }
  bool IsWindowOpen(int window) const override { return m_inner.IsWindowOpen(window); }
  void ShowWindowAgain(int window) override { m_inner.ShowWindowAgain(window); }
  void SetWindowColour(int window, platform::Colour background) override {
    m_inner.SetWindowColour(window, background);
  }
  platform::ScreenRect ScreenArea() const override { return m_inner.ScreenArea(); }
  platform::ScreenRect AvailableScreenArea() const override { return m_inner.AvailableScreenArea(); }
  platform::FrameExtents WindowFrame(unsigned style) const override { return m_inner.WindowFrame(style); }
  void AcceptFileDrops(int window) override { m_inner.AcceptFileDrops(window); }
  bool CreateImage(int number, const platform::Pixmap& pixmap) override { return m_inner.CreateImage(number, pixmap); }
  bool CreateGadget(const platform::GadgetSpec& spec) override { return m_inner.CreateGadget(spec); }
  bool GadgetExists(int gadget) const override { return m_inner.GadgetExists(gadget); }
  void SetGadgetText(int gadget, const std::string& text) override { m_inner.SetGadgetText(gadget, text); }
  std::string GetGadgetText(int gadget) const override { return m_inner.GetGadgetText(gadget); }
  void SetGadgetFont(int gadget, int font) override { m_inner.SetGadgetFont(gadget, font); }
  void SetGadgetColours(int gadget, platform::Colour text, platform::Colour background) override {
    m_inner.SetGadgetColours(gadget, text, background);
  }
  void SetGadgetHidden(int gadget, bool hidden) override { m_inner.SetGadgetHidden(gadget, hidden); }
  void MoveGadget(int gadget, int x, int y, int width, int height) override {
    m_inner.MoveGadget(gadget, x, y, width, height);
  }
  void SetGadgetToolTip(int gadget, const std::string& text) override { m_inner.SetGadgetToolTip(gadget, text); }
  int AddBalloonTip(int window, int gadget, const std::string& text, int maxWidth) override {
    return m_inner.AddBalloonTip(window, gadget, text, maxWidth);
  }
  bool LoadFont(int number, const platform::FontSpec& spec) override { return m_inner.LoadFont(number, spec); }
  platform::Event WaitEvent() override { return m_inner.WaitEvent(); }
  void RunKeepingPainted(std::function<void()> work) override { m_inner.RunKeepingPainted(std::move(work)); }
  void SetPlatformLanguage(const std::string& languageCode) override { m_inner.SetPlatformLanguage(languageCode); }
  std::string FileRequester(const platform::RequesterSpec& spec) override { return m_inner.FileRequester(spec); }
  int ShowMessageBox(const std::string& title, const std::string& text, unsigned type) override {
    return m_inner.ShowMessageBox(title, text, type);
  }
  std::optional<std::string> GetClipboardText() override { return m_inner.GetClipboardText(); }
  bool SetClipboardText(const std::string& text) override { return m_inner.SetClipboardText(text); }
  void RunOnUiThread(std::function<void()> change) override { m_inner.RunOnUiThread(std::move(change)); }
  bool StartThread(std::function<void()> work) override { return m_inner.StartThread(std::move(work)); }
  void Delay(int milliseconds) override { m_inner.Delay(milliseconds); }
  [[noreturn]] void EndProcess(int exitCode) override {
    m_inner.EndProcess(exitCode);
    std::abort();  // not reached: the backend ends the process
  }

 protected:
  platform::Platform& inner() { return m_inner; }

 private:
  platform::Platform& m_inner;
};

}  // namespace bench
