// The windowing layer: the one interface through which the program reaches the screen.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Windows, gadgets (controls), images and fonts are addressed by small fixed
// numbers chosen by the program. Gadget numbers are unique across windows.
// All texts are UTF-8. Coordinates are pixels of a window's client area.
// Every call is made on the user-interface thread, except RunOnUiThread,
// StartThread and Delay, which any thread may call.
namespace platform {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A gadget or window colour: the platform's default for that kind of control,
// transparent (the parent's background shows through), or an explicit colour.
struct Colour {
  enum class Kind { SystemDefault, Transparent, Explicit };
  Kind kind = Kind::SystemDefault;
  Rgb rgb;

  static Colour SystemDefault() { return {}; }
  static Colour Transparent() { return {Kind::Transparent, {}}; }
  static Colour FromRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return {Kind::Explicit, {r, g, b}};
  }
  friend bool operator==(const Colour&, const Colour&) = default;
};

// A font by face and size in points; the backend turns points into pixels
// with the display's resolution and asks for its best rendering quality.
struct FontSpec {
  std::string face;
  int pointSize = 0;
  bool bold = false;
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// A picture for image and image-button gadgets: top-down rows, 4 bytes a
// pixel in the order R, G, B, A, no padding.
struct Pixmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};

// A rectangle in pixels of the program's coordinates: those of window
// positions, which a display scale factor may make differ from the device's.
struct ScreenRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The widths of a window's frame (borders and title bar) around its client
// area, in the same pixels.
struct FrameExtents {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const FrameExtents&, const FrameExtents&) = default;
};

// Window style bits.
enum WindowStyle : unsigned {
  kTitleBar = 1u << 0,     // a caption with the title
  kSystemMenu = 1u << 1,   // the system menu and the close box
  kMinimizeBox = 1u << 2,
  kMaximizeBox = 1u << 3,
  kSizable = 1u << 4,      // a sizing border; without it the client size is fixed
  // No title bar and no frame at all; takes no input and no focus; shown
  // above its owner, and below any message box or file requester.
  kPopup = 1u << 5,
};

struct WindowSpec {
  int number = 0;
  std::string title;
  int clientWidth = 0;
  int clientHeight = 0;
  unsigned style = 0;
  // Centred on the screen (outer size clipped to the screen), or with the
  // outer top-left corner at (x, y) when false. Either place is only asked
  // for: the window goes where PlaceWindow (window_placement.h) puts it.
  bool centred = true;
  int x = 0;
  int y = 0;
  // The open window this one stays above (a popup over the main window);
  // -1 for none.
  int owner = -1;
};

enum class GadgetKind {
  Image,         // shows image `image`; takes the size of its picture
  Text,          // static text; `centred` centres it
  Frame,         // group box with `text` as caption
  Button,        // push button with caption `text`; `flat` for the flat style
  ImageButton,   // push button showing image `image`
  StatusField,   // read-only, multi-line, centred, sunken edge, never wraps, focusable
  Editor,        // editable multi-line plain-text editor, wraps at its width, scroll bars
};

struct GadgetSpec {
  int window = 0;
  int number = 0;
  GadgetKind kind = GadgetKind::Text;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::string text;
  int image = -1;       // image number for Image and ImageButton
  bool centred = false; // Text
  bool flat = false;    // Button
};

enum class EventKind { None, Gadget, CloseRequest, FileDrop, Other };

struct Event {
  Event() = default;
  Event(EventKind k, int w, int g = -1, std::string p = {})
      : kind(k), window(w), gadget(g), path(std::move(p)) {}

  EventKind kind = EventKind::None;
  int window = -1;
  int gadget = -1;   // for EventKind::Gadget
  std::string path;  // for EventKind::FileDrop: the dropped file's path, native bytes
};

// Message box type values: the low nibble picks the buttons, the next bits
// the icon, as the program's message boxes were designed.
enum MessageBoxType : unsigned {
  kMbOk = 0x00,
  kMbYesNo = 0x04,
  kMbIconError = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
};

// Message box answers.
enum MessageBoxAnswer : int { kAnswerOk = 1, kAnswerYes = 6, kAnswerNo = 7 };

enum class RequesterKind {
  Open,  // the folder must exist, the file need not; one file only
  Save,  // no question when the file exists
};

struct RequesterSpec {
  RequesterKind kind = RequesterKind::Open;
  std::string title;
  std::string startPath;  // folder (ending in '/') or file to start in
  std::string pattern;    // "Label|*.a;*.b|Label 2|*.c"
  int selectedPattern = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Opens window spec.number (an open window of that number is closed
  // first) where PlaceWindow puts it, with the frame it really gets.
  // Returns false when it cannot be opened.
  virtual bool OpenWindow(const WindowSpec& spec) = 0;
  // Closes the window and frees its gadgets; does nothing when it is not open.
  virtual void CloseWindow(int window) = 0;
  virtual bool IsWindowOpen(int window) const = 0;
  // Shows the window again in its current state (normal or minimised) and activates it.
  virtual void ShowWindowAgain(int window) = 0;
  virtual void SetWindowColour(int window, Colour background) = 0;

  // The whole primary screen, and the part of it that windows may use (the
  // screen without panels and docks), in the program's coordinates.
  virtual ScreenRect ScreenArea() const = 0;
  virtual ScreenRect AvailableScreenArea() const = 0;
  // The frame that a window of that style gets. Where the platform learns a
  // frame only once a window has one, the frame last seen on a window of the
  // same kind (titled or popup), and an estimate before the first.
  virtual FrameExtents WindowFrame(unsigned style) const = 0;
  // Lets files dropped on the window arrive as FileDrop events (the first
  // file of a drop; anything that is not a local file is refused).
  virtual void AcceptFileDrops(int window) = 0;

  // Registers a picture under an image number, replacing the old one.
  virtual bool CreateImage(int number, const Pixmap& pixmap) = 0;

  // Creates a gadget in spec.window (an existing gadget of that number is
  // freed first). Returns false when the window is not open.
  virtual bool CreateGadget(const GadgetSpec& spec) = 0;
  virtual bool GadgetExists(int gadget) const = 0;
  virtual void SetGadgetText(int gadget, const std::string& text) = 0;
  // The gadget's text. For an Editor it is exactly the text last set while
  // the user has not edited it, provided that text used "\n" line ends.
  virtual std::string GetGadgetText(int gadget) const = 0;
  virtual void SetGadgetFont(int gadget, int font) = 0;
  virtual void SetGadgetColours(int gadget, Colour text, Colour background) = 0;
  virtual void SetGadgetHidden(int gadget, bool hidden) = 0;
  virtual void MoveGadget(int gadget, int x, int y, int width, int height) = 0;
  // A plain tooltip shown when the pointer rests on the gadget.
  virtual void SetGadgetToolTip(int gadget, const std::string& text) = 0;
  // A balloon tooltip owned by the window, wrapping at maxWidth pixels;
  // returns a handle that nobody uses again, or 0 on failure.
  virtual int AddBalloonTip(int window, int gadget, const std::string& text, int maxWidth) = 0;

  // Loads a font under a number, replacing the old one.
  virtual bool LoadFont(int number, const FontSpec& spec) = 0;

  // Waits without a time limit for the next event of any window.
  virtual Event WaitEvent() = 0;

  // Runs `work` to its end on another thread while the windows stay drawn:
  // the windows shown are painted before `work` starts; meanwhile repaints
  // and RunOnUiThread changes are carried out, but no input is taken and no
  // event reaches WaitEvent: clicks, keys, drops and close requests wait, in
  // order, until it has ended. `work` may call no platform function but
  // RunOnUiThread, StartThread and Delay. Runs `work` on the calling thread
  // when no thread can be started.
  virtual void RunKeepingPainted(std::function<void()> work) = 0;

  // Shows the platform's own texts (labels of the file requesters, buttons
  // of the message boxes) in a language: "fr", "en" or "de". English for
  // any other code, or when the platform has no texts in that language.
  virtual void SetPlatformLanguage(const std::string& languageCode) = 0;

  // File requesters, whole on the available screen: the chosen full path,
  // or the empty text when cancelled.
  virtual std::string FileRequester(const RequesterSpec& spec) = 0;
  // A modal message box, in front of every window of the program and at
  // least as wide as its title needs; returns a MessageBoxAnswer. (Not named
  // MessageBox: <windows.h> defines that name as a macro.)
  virtual int ShowMessageBox(const std::string& title, const std::string& text, unsigned type) = 0;

  // The clipboard's plain text, or nothing when it holds no text.
  virtual std::optional<std::string> GetClipboardText() = 0;
  // Replaces the clipboard's content with plain text; false when that failed.
  virtual bool SetClipboardText(const std::string& text) = 0;

  // Hands a change to the user-interface thread; changes are applied in the
  // order they were posted. Safe from any thread, also during shutdown.
  virtual void RunOnUiThread(std::function<void()> change) = 0;
  // Starts a detached thread that nobody joins; false when it cannot start.
  virtual bool StartThread(std::function<void()> work) = 0;
  // Waits the given milliseconds on the calling thread.
  virtual void Delay(int milliseconds) = 0;

  // Ends the process with the exit code; windows go with it, running
  // threads are not waited for.
  [[noreturn]] virtual void EndProcess(int exitCode) = 0;
};

}  // namespace platform
