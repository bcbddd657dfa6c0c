// A scripted, deterministic backend of the windowing layer for tests.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fake {

// Thrown by EndProcess so that a test can see the program end. It never
// leaves a test: the test catches it (see RunUntilEnd).
struct ProgramEnded {
  int exitCode = 0;
};

// Thrown when a window loop asks for an event and the script has none left.
struct ScriptExhausted {};

struct WindowRecord {
  platform::WindowSpec spec;
  bool open = false;
  std::optional<platform::Colour> background;
  int showAgainCount = 0;
  platform::ScreenRect outer;  // where PlaceWindow put it on the scripted screen
  bool acceptsDrops = false;
};

struct GadgetRecord {
  platform::GadgetSpec spec;
  int creationIndex = 0;  // order of creation over the whole run
  std::string text;
  std::optional<int> font;
  std::optional<platform::Colour> textColour;
  std::optional<platform::Colour> backgroundColour;
  bool hidden = false;
  std::string toolTip;
  std::string balloonTip;
  int balloonWidth = 0;
};

struct MessageBoxCall {
  std::string title;
  std::string text;
  unsigned type = 0;
};

// One change of a gadget's text, with the fake clock's time it took effect.
struct TextChange {
  long long timeMs = 0;
  int gadget = 0;
  std::string text;
};

// The fake keeps a virtual clock. Delay on the user-interface thread
// advances it and applies every posted change that falls due. A thread
// started with StartThread runs at once, inline, on a clock of its own that
// starts at the current time; its Delay calls advance only that clock, and
// what it posts is applied when the user-interface clock reaches it.
// RunKeepingPainted records the windows open and runs its work inline, on
// the user-interface clock. OpenWindow records where PlaceWindow puts the
// window on the scripted screen.
class FakePlatform final : public platform::Platform {
 public:
  FakePlatform();
  ~FakePlatform() override;

  // --- script ---
  void PushEvent(platform::Event event);
  void PushClick(int window, int gadget) { PushEvent({platform::EventKind::Gadget, window, gadget}); }
  void PushClose(int window) { PushEvent({platform::EventKind::CloseRequest, window, -1}); }
  void PushDrop(int window, std::string path) {
    PushEvent({platform::EventKind::FileDrop, window, -1, std::move(path)});
  }
  // Called when the script is empty and an event is wanted; may push events.
  std::function<void()> onIdle;
  // Answers of the file requesters in order; empty text cancels. When none
  // is left the requester is cancelled.
  std::deque<std::string> requesterAnswers;
  // Answers of the message boxes in order; when none is left, Ok (or No
  // for a Yes/No box).
  std::deque<int> messageBoxAnswers;
  // Called when a message box is shown, before it answers.
  std::function<void(const MessageBoxCall&)> onMessageBox;
  // Called when a file requester is shown, before it answers.
  std::function<void(const platform::RequesterSpec&)> onRequester;
  std::optional<std::string> clipboard;
  bool clipboardWritable = true;
  bool failOpenWindow = false;  // every OpenWindow fails
  std::vector<int> failWindows; // these window numbers fail to open
  bool failThreads = false;
  // The screen, its part free of panels, and the frame of titled windows
  // (popups have none).
  platform::ScreenRect screen{0, 0, 1920, 1080};
  platform::ScreenRect available{0, 0, 1920, 1080};
  platform::FrameExtents titledFrame{1, 20, 1, 1};
  // Called inside RunKeepingPainted, before the work runs.
  std::function<void()> onKeepPainted;

  // --- observation ---
  std::map<int, WindowRecord> windows;
  std::map<int, GadgetRecord> gadgets;
  std::map<int, platform::Pixmap> images;
  std::map<int, platform::FontSpec> fonts;
  std::vector<MessageBoxCall> messageBoxes;
  std::vector<platform::RequesterSpec> requesters;
  std::vector<TextChange> textChanges;   // every SetGadgetText, in order
  std::vector<int> delays;               // every Delay of the user-interface thread
  std::vector<std::string> calls;        // one line per call, in order
  long long now() const { return m_now; }
  int threadsStarted = 0;
  // For each RunKeepingPainted: the windows open when it started.
  std::vector<std::vector<int>> paintedRuns;
  std::string platformLanguage;  // the last SetPlatformLanguage

  const GadgetRecord& gadget(int number) const;
  // Advances the user-interface clock, applying due posted changes.
  void AdvanceTime(long long milliseconds);
  // Applies every posted change, however far in the future.
  void FlushPosted();
  // The gadgets of a window in creation order.
  std::vector<const GadgetRecord*> GadgetsOf(int window) const;

  // --- platform::Platform ---
  bool OpenWindow(const platform::WindowSpec& spec) override;
  void CloseWindow(int window) override;
  bool IsWindowOpen(int window) const override;
  void ShowWindowAgain(int window) override;
  void SetWindowColour(int window, platform::Colour background) override;
  platform::ScreenRect ScreenArea() const override { return screen; }
  platform::ScreenRect AvailableScreenArea() const override { return available; }
  platform::FrameExtents WindowFrame(unsigned style) const override;
  void AcceptFileDrops(int window) override;
  bool CreateImage(int number, const platform::Pixmap& pixmap) override;
  bool CreateGadget(const platform::GadgetSpec& spec) override;
  bool GadgetExists(int gadget) const override;
  void SetGadgetText(int gadget, const std::string& text) override;
  std::string GetGadgetText(int gadget) const override;
  void SetGadgetFont(int gadget, int font) override;
  void SetGadgetColours(int gadget, platform::Colour text, platform::Colour background) override;
  void SetGadgetHidden(int gadget, bool hidden) override;
  void MoveGadget(int gadget, int x, int y, int width, int height) override;
  void SetGadgetToolTip(int gadget, const std::string& text) override;
  int AddBalloonTip(int window, int gadget, const std::string& text, int maxWidth) override;
  bool LoadFont(int number, const platform::FontSpec& spec) override;
  platform::Event WaitEvent() override;
  void RunKeepingPainted(std::function<void()> work) override;
  void SetPlatformLanguage(const std::string& languageCode) override;
  std::string FileRequester(const platform::RequesterSpec& spec) override;
  int ShowMessageBox(const std::string& title, const std::string& text, unsigned type) override;
  std::optional<std::string> GetClipboardText() override;
  bool SetClipboardText(const std::string& text) override;
  void RunOnUiThread(std::function<void()> change) override;
  bool StartThread(std::function<void()> work) override;
  void Delay(int milliseconds) override;
  [[noreturn]] void EndProcess(int exitCode) override;

  // Lets a test edit an editor as a user would.
  void UserEdits(int gadget, const std::string& text);

 private:
  struct Posted {
    long long dueMs;
    long long sequence;
    std::function<void()> change;
  };
  void ApplyDue(long long untilMs);
  void Log(std::string line);

  std::deque<platform::Event> m_events;
  std::vector<Posted> m_posted;
  long long m_sequence = 0;
  long long m_now = 0;
  int m_creationCounter = 0;
  int m_tipCounter = 0;
  // The clock of the thread that StartThread runs inline, if any.
  std::optional<long long> m_workerClock;
  std::recursive_mutex m_mutex;
};

// Runs body and returns the exit code if the program ended inside it.
std::optional<int> RunUntilEnd(const std::function<void()>& body);

}  // namespace fake
