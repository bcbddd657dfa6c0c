// A scripted, deterministic backend of the windowing layer for tests.
#include "tests/support/fake_platform.h"

#include "platform/window_placement.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace fake {

FakePlatform::FakePlatform() = default;
FakePlatform::~FakePlatform() = default;

void FakePlatform::Log(std::string line) { calls.push_back(std::move(line)); }

void FakePlatform::PushEvent(platform::Event event) { m_events.push_back(event); }

const GadgetRecord& FakePlatform::gadget(int number) const {
  auto it = gadgets.find(number);
  if (it == gadgets.end()) throw std::out_of_range("no gadget " + std::to_string(number));
  return it->second;
}

std::vector<const GadgetRecord*> FakePlatform::GadgetsOf(int window) const {
  std::vector<const GadgetRecord*> result;
  for (const auto& [number, record] : gadgets) {
    if (record.spec.window == window) result.push_back(&record);
  }
  std::sort(result.begin(), result.end(),
            [](auto* a, auto* b) { return a->creationIndex < b->creationIndex; });
  return result;
}

void FakePlatform::ApplyDue(long long untilMs) {
  for (;;) {
    std::function<void()> change;
    {
      std::lock_guard lock(m_mutex);
      auto due = std::min_element(m_posted.begin(), m_posted.end(), [](auto& a, auto& b) {
        return a.dueMs != b.dueMs ? a.dueMs < b.dueMs : a.sequence < b.sequence;
      });
      if (due == m_posted.end() || due->dueMs > untilMs) return;
      if (due->dueMs > m_now) m_now = due->dueMs;
      change = std::move(due->change);
      m_posted.erase(due);
    }
    change();
  }
}

void FakePlatform::AdvanceTime(long long milliseconds) {
  long long target = m_now + milliseconds;
  ApplyDue(target);
  m_now = target;
}

void FakePlatform::FlushPosted() { ApplyDue(std::numeric_limits<long long>::max()); }

bool FakePlatform::OpenWindow(const platform::WindowSpec& spec) {
  Log("OpenWindow " + std::to_string(spec.number));
  if (failOpenWindow ||
      std::find(failWindows.begin(), failWindows.end(), spec.number) != failWindows.end()) {
    return false;
  }
  CloseWindow(spec.number);
  WindowRecord record;
  record.spec = spec;
  record.open = true;
  record.outer = platform::PlaceWindow(spec, screen, available, WindowFrame(spec.style));
  windows[spec.number] = record;
  return true;
}

void FakePlatform::CloseWindow(int window) {
  auto it = windows.find(window);
  if (it == windows.end() || !it->second.open) return;
  Log("CloseWindow " + std::to_string(window));
  it->second.open = false;
  std::erase_if(gadgets, [window](const auto& entry) { return entry.second.spec.window == window; });
}

bool FakePlatform::IsWindowOpen(int window) const {
  auto it = windows.find(window);
  return it != windows.end() && it->second.open;
}

void FakePlatform::ShowWindowAgain(int window) {
  Log("ShowWindowAgain " + std::to_string(window));
  if (IsWindowOpen(window)) windows[window].showAgainCount++;
}

void FakePlatform::SetWindowColour(int window, platform::Colour background) {
  Log("SetWindowColour " + std::to_string(window));
  if (IsWindowOpen(window)) windows[window].background = background;
}

platform::FrameExtents FakePlatform::WindowFrame(unsigned style) const {
  return (style & platform::kPopup) ? platform::FrameExtents{} : titledFrame;
}

void FakePlatform::AcceptFileDrops(int window) {
  Log("AcceptFileDrops " + std::to_string(window));
  if (IsWindowOpen(window)) windows[window].acceptsDrops = true;
}

bool FakePlatform::CreateImage(int number, const platform::Pixmap& pixmap) {
  Log("CreateImage " + std::to_string(number));
  if (pixmap.width <= 0 || pixmap.height <= 0 ||
      pixmap.rgba.size() != static_cast<size_t>(pixmap.width) * pixmap.height * 4) {
    return false;
  }
  images[number] = pixmap;
  return true;
}

bool FakePlatform::CreateGadget(const platform::GadgetSpec& spec) {
  Log("CreateGadget " + std::to_string(spec.number));
  if (!IsWindowOpen(spec.window)) return false;
  GadgetRecord record;
  record.spec = spec;
  record.creationIndex = m_creationCounter++;
  record.text = spec.text;
  gadgets[spec.number] = record;
  return true;
}

bool FakePlatform::GadgetExists(int gadget) const { return gadgets.count(gadget) != 0; }

void FakePlatform::SetGadgetText(int gadget, const std::string& text) {
  auto it = gadgets.find(gadget);
  if (it == gadgets.end()) return;
  it->second.text = text;
  textChanges.push_back({m_now, gadget, text});
}

std::string FakePlatform::GetGadgetText(int gadget) const {
  auto it = gadgets.find(gadget);
  return it == gadgets.end() ? std::string() : it->second.text;
}

void FakePlatform::SetGadgetFont(int gadget, int font) {
  auto it = gadgets.find(gadget);
  if (it != gadgets.end()) it->second.font = font;
}

void FakePlatform::SetGadgetColours(int gadget, platform::Colour text, platform::Colour background) {
  Log("SetGadgetColours " + std::to_string(gadget));
  auto it = gadgets.find(gadget);
  if (it == gadgets.end()) return;
  it->second.textColour = text;
  it->second.backgroundColour = background;
}

void FakePlatform::SetGadgetHidden(int gadget, bool hidden) {
  Log(std::string(hidden ? "Hide " : "Show ") + std::to_string(gadget));
  auto it = gadgets.find(gadget);
  if (it != gadgets.end()) it->second.hidden = hidden;
}

void FakePlatform::MoveGadget(int gadget, int x, int y, int width, int height) {
  auto it = gadgets.find(gadget);
  if (it == gadgets.end()) return;
  it->second.spec.x = x;
  it->second.spec.y = y;
  it->second.spec.width = width;
  it->second.spec.height = height;
}

void FakePlatform::SetGadgetToolTip(int gadget, const std::string& text) {
  auto it = gadgets.find(gadget);
  if (it != gadgets.end()) it->second.toolTip = text;
}

int FakePlatform::AddBalloonTip(int window, int gadget, const std::string& text, int maxWidth) {
  Log("AddBalloonTip " + std::to_string(window) + " " + std::to_string(gadget));
  auto it = gadgets.find(gadget);
  if (!IsWindowOpen(window) || it == gadgets.end()) return 0;
  it->second.balloonTip = text;
  it->second.balloonWidth = maxWidth;
  return ++m_tipCounter;
}

bool FakePlatform::LoadFont(int number, const platform::FontSpec& spec) {
  Log("LoadFont " + std::to_string(number));
  fonts[number] = spec;
  return true;
}

platform::Event FakePlatform::WaitEvent() {
  FlushPosted();
  if (m_events.empty() && onIdle) onIdle();
  if (m_events.empty()) throw ScriptExhausted{};
  platform::Event event = m_events.front();
  m_events.pop_front();
  return event;
}

void FakePlatform::RunKeepingPainted(std::function<void()> work) {
  std::vector<int> open;
  for (const auto& [number, record] : windows) {
    if (record.open) open.push_back(number);
  }
  std::string line = "RunKeepingPainted";
  for (int number : open) line += " " + std::to_string(number);
  Log(line);
  paintedRuns.push_back(open);
  if (onKeepPainted) onKeepPainted();
  work();
}

void FakePlatform::SetPlatformLanguage(const std::string& languageCode) {
  Log("SetPlatformLanguage " + languageCode);
  platformLanguage = languageCode;
}

std::string FakePlatform::FileRequester(const platform::RequesterSpec& spec) {
  Log("FileRequester " + spec.title);
  requesters.push_back(spec);
  if (onRequester) onRequester(spec);
  if (requesterAnswers.empty()) return {};
  std::string answer = requesterAnswers.front();
  requesterAnswers.pop_front();
  return answer;
}

int FakePlatform::ShowMessageBox(const std::string& title, const std::string& text, unsigned type) {
  Log("ShowMessageBox " + title);
  MessageBoxCall call{title, text, type};
  messageBoxes.push_back(call);
  if (onMessageBox) onMessageBox(call);
  if (messageBoxAnswers.empty()) {
    return (type & 0x0F) == platform::kMbYesNo ? platform::kAnswerNo : platform::kAnswerOk;
  }
  int answer = messageBoxAnswers.front();
  messageBoxAnswers.pop_front();
  return answer;
}

std::optional<std::string> FakePlatform::GetClipboardText() { return clipboard; }

bool FakePlatform::SetClipboardText(const std::string& text) {
  Log("SetClipboardText");
  if (!clipboardWritable) return false;
  clipboard = text;
  return true;
}

void FakePlatform::RunOnUiThread(std::function<void()> change) {
  std::lock_guard lock(m_mutex);
  long long due = m_workerClock ? *m_workerClock : m_now;
  m_posted.push_back({due, m_sequence++, std::move(change)});
}

bool FakePlatform::StartThread(std::function<void()> work) {
  Log("StartThread");
  if (failThreads) return false;
  ++threadsStarted;
  std::optional<long long> outer = m_workerClock;
  m_workerClock = m_now;
  work();
  m_workerClock = outer;
  return true;
}

void FakePlatform::Delay(int milliseconds) {
  if (m_workerClock) {
    *m_workerClock += milliseconds;
    return;
  }
  delays.push_back(milliseconds);
  AdvanceTime(milliseconds);
}

void FakePlatform::EndProcess(int exitCode) {
  Log("EndProcess " + std::to_string(exitCode));
  throw ProgramEnded{exitCode};
}

void FakePlatform::UserEdits(int gadget, const std::string& text) {
  auto it = gadgets.find(gadget);
  if (it != gadgets.end()) it->second.text = text;
}

std::optional<int> RunUntilEnd(const std::function<void()>& body) {
  try {
    body();
  } catch (const ProgramEnded& ended) {
    return ended.exitCode;
  }
  return std::nullopt;
}

}  // namespace fake
