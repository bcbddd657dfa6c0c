// The Qt Widgets backend of the windowing layer: windows, gadgets, events, clipboard and threads.
#include "platform/qt/qt_platform.h"

#include "platform/qt/balloon_tip.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/gadget_widgets.h"
#include "platform/qt/top_window.h"
#include "resources/embedded.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QImage>
#include <QLibraryInfo>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace platform {
namespace {

constexpr int kBytesPerPixel = 4;
constexpr int kMaxPictureSide = 1 << 15;
// The longest RunKeepingPainted waits for a window just shown to be mapped
// and painted before it starts the work.
constexpr int kFirstPaintWaitMs = 250;
constexpr const char* kQtTranslationsPrefix = "qtbase_";
constexpr const char* kEnglishCode = "en";

// The faces the program asks for by name, and the metric-compatible faces
// that stand in for them here.
constexpr std::pair<const char*, const char*> kFaceSubstitutes[] = {
    {"arial", "Liberation Sans"},
    {"Microsoft Sans Serif", "Liberation Sans"},
};

// Where worker threads post their changes. The receiver is cleared under
// the lock before the application object goes, so a late post is dropped
// instead of reaching a dead object.
struct PostBox {
  std::mutex mutex;
  QObject* receiver = nullptr;
};

struct Gadget {
  QPointer<QWidget> widget;
  int window = 0;
  GadgetKind kind = GadgetKind::Text;
  bool flat = false;
  std::string text;
};

class QtPlatform final : public Platform {
 public:
  QtPlatform(int& argc, char** argv);
  ~QtPlatform() override;

  bool OpenWindow(const WindowSpec& spec) override;
  void CloseWindow(int window) override;
  bool IsWindowOpen(int window) const override { return m_windows.count(window) != 0; }
  void ShowWindowAgain(int window) override;
  void SetWindowColour(int window, Colour background) override;
  ScreenRect ScreenArea() const override;
  ScreenRect AvailableScreenArea() const override;
  FrameExtents WindowFrame(unsigned style) const override;
  void AcceptFileDrops(int window) override;
  bool CreateImage(int number, const Pixmap& pixmap) override;
  bool CreateGadget(const GadgetSpec& spec) override;
  bool GadgetExists(int gadget) const override { return FindWidget(gadget) != nullptr; }
  void SetGadgetText(int gadget, const std::string& text) override;
  std::string GetGadgetText(int gadget) const override;
  void SetGadgetFont(int gadget, int font) override;
  void SetGadgetColours(int gadget, Colour text, Colour background) override;
  void SetGadgetHidden(int gadget, bool hidden) override;
  void MoveGadget(int gadget, int x, int y, int width, int height) override;
  void SetGadgetToolTip(int gadget, const std::string& text) override;
  int AddBalloonTip(int window, int gadget, const std::string& text, int maxWidth) override;
  bool LoadFont(int number, const FontSpec& spec) override;
  Event WaitEvent() override;
  void RunKeepingPainted(std::function<void()> work) override;
  void SetPlatformLanguage(const std::string& languageCode) override;
  std::string FileRequester(const RequesterSpec& spec) override {
    return qt::RunFileRequester(spec, WindowFrame(kTitleBar));
  }
  int ShowMessageBox(const std::string& title, const std::string& text, unsigned type) override {
    return qt::RunMessageBox(title, text, type);
  }
  std::optional<std::string> GetClipboardText() override;
  bool SetClipboardText(const std::string& text) override;
  void RunOnUiThread(std::function<void()> change) override;
  bool StartThread(std::function<void()> work) override;
  void Delay(int milliseconds) override;
  [[noreturn]] void EndProcess(int exitCode) override;

 private:
  QWidget* FindWidget(int gadget) const;
  void FreeGadget(int gadget);
  void Queue(Event event) { m_events.push_back(event); }
  void StopPosts();
  void HandOverClipboard();
  bool AnyShownWindowUnexposed() const;
  void PaintShownWindows();

  std::unique_ptr<QApplication> m_application;
  std::shared_ptr<PostBox> m_postBox = std::make_shared<PostBox>();
  std::map<int, std::unique_ptr<qt::TopWindow>> m_windows;
  std::map<int, Gadget> m_gadgets;
  std::map<int, QPointer<QWidget>> m_lastFocusable;  // per window, for the Tab order
  std::map<int, QPixmap> m_images;
  std::map<int, QFont> m_fonts;
  std::deque<Event> m_events;
  int m_tipCounter = 0;
  std::optional<FrameExtents> m_titledFrame;  // the frame last seen on a titled window
  std::unique_ptr<QTranslator> m_translator;  // Qt's own texts in the chosen language
};

QtPlatform::QtPlatform(int& argc, char** argv)
    : m_application(std::make_unique<QApplication>(argc, argv)) {
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName(QStringLiteral("letterloom"));
  QGuiApplication::setDesktopFileName(QStringLiteral("letterloom"));
  const resources::Blob icon = resources::WindowIcon();
  QPixmap iconPicture;
  if (iconPicture.loadFromData(icon.data, static_cast<uint>(icon.size), "PNG")) {
    QApplication::setWindowIcon(QIcon(iconPicture));
  }
  for (const auto& [face, substitute] : kFaceSubstitutes) {
    QFont::insertSubstitution(QString::fromLatin1(face), QString::fromLatin1(substitute));
  }
  std::lock_guard lock(m_postBox->mutex);
  m_postBox->receiver = m_application.get();
}

QtPlatform::~QtPlatform() {
  StopPosts();
  m_gadgets.clear();
  m_windows.clear();
}

void QtPlatform::StopPosts() {
  std::lock_guard lock(m_postBox->mutex);
  m_postBox->receiver = nullptr;
}

// The desktop keeps a copied text after its owner has gone only when the
// owner hands it to the clipboard manager, which Qt does as it shuts down.
// Workers may still run: their posts are stopped first, and they touch
// nothing else of Qt.
void QtPlatform::HandOverClipboard() {
  if (m_application == nullptr || !QGuiApplication::clipboard()->ownsClipboard()) return;
  StopPosts();
  m_gadgets.clear();
  m_lastFocusable.clear();
  m_windows.clear();
  m_images.clear();
  m_fonts.clear();
  m_application.reset();
}

bool QtPlatform::OpenWindow(const WindowSpec& spec) {
  if (spec.clientWidth <= 0 || spec.clientHeight <= 0) return false;
  CloseWindow(spec.number);
  const bool titled = (spec.style & kPopup) == 0;
  qt::TopWindowHooks hooks;
  hooks.onCloseRequest = [this](int number) { Queue({EventKind::CloseRequest, number, -1}); };
  hooks.onFileDrop = [this](int number, const std::string& path) {
    Queue({EventKind::FileDrop, number, -1, path});
  };
  hooks.onFrameKnown = [this, titled](const QMargins& frame) {
    if (titled) m_titledFrame = FrameExtents{frame.left(), frame.top(), frame.right(), frame.bottom()};
  };
  auto window = std::make_unique<qt::TopWindow>(spec, std::move(hooks));
  const auto owner = m_windows.find(spec.owner);
  if (owner != m_windows.end()) window->SetOwner(owner->second->windowHandle());
  window->ShowPlaced(WindowFrame(spec.style));
  m_windows[spec.number] = std::move(window);
  return true;
}

void QtPlatform::CloseWindow(int window) {
  const auto found = m_windows.find(window);
  if (found == m_windows.end()) return;
  for (auto it = m_gadgets.begin(); it != m_gadgets.end();) {
    it = it->second.window == window ? m_gadgets.erase(it) : std::next(it);
  }
  m_lastFocusable.erase(window);
  m_windows.erase(found);  // the widget takes its gadgets and balloons with it
}

void QtPlatform::ShowWindowAgain(int window) {
  const auto found = m_windows.find(window);
  if (found == m_windows.end()) return;
  qt::TopWindow* shown = found->second.get();
  shown->setVisible(true);  // keeps a minimised window minimised
  shown->raise();
  shown->activateWindow();
}

void QtPlatform::SetWindowColour(int window, Colour background) {
  const auto found = m_windows.find(window);
  if (found != m_windows.end()) qt::ApplyWindowColour(found->second.get(), background);
}

ScreenRect QtPlatform::ScreenArea() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const QRect area = screen->geometry();
  return {area.x(), area.y(), area.width(), area.height()};
}

ScreenRect QtPlatform::AvailableScreenArea() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return {};
  const QRect area = screen->availableGeometry();
  return {area.x(), area.y(), area.width(), area.height()};
}

// The window manager tells a frame only once it has framed a window; until
// then the widget style's title bar and border stand in for it.
FrameExtents QtPlatform::WindowFrame(unsigned style) const {
  if (style & kPopup) return {};
  if (m_titledFrame) return *m_titledFrame;
  const QStyle* look = QApplication::style();
  const int border = look->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
  return {border, look->pixelMetric(QStyle::PM_TitleBarHeight) + border, border, border};
}

void QtPlatform::AcceptFileDrops(int window) {
  const auto found = m_windows.find(window);
  if (found != m_windows.end()) found->second->AcceptFileDrops();
}

bool QtPlatform::CreateImage(int number, const Pixmap& pixmap) {
  if (pixmap.width <= 0 || pixmap.height <= 0) return false;
  if (pixmap.width > kMaxPictureSide || pixmap.height > kMaxPictureSide) return false;
  const std::size_t rowBytes = static_cast<std::size_t>(pixmap.width) * kBytesPerPixel;
  if (pixmap.rgba.size() != rowBytes * static_cast<std::size_t>(pixmap.height)) return false;
  const QImage view(pixmap.rgba.data(), pixmap.width, pixmap.height, static_cast<qsizetype>(rowBytes),
                    QImage::Format_RGBA8888);
  QPixmap picture = QPixmap::fromImage(view.copy());
  if (picture.isNull()) return false;
  m_images[number] = std::move(picture);
  return true;
}

bool QtPlatform::CreateGadget(const GadgetSpec& spec) {
  const auto window = m_windows.find(spec.window);
  if (window == m_windows.end()) return false;
  FreeGadget(spec.number);
  const auto image = m_images.find(spec.image);
  const QPixmap* picture = image != m_images.end() ? &image->second : nullptr;
  QWidget* widget = qt::CreateGadgetWidget(window->second.get(), spec, picture);
  if (widget == nullptr) return false;
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    const int number = spec.number;
    const int windowNumber = spec.window;
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [this, windowNumber, number] { Queue({EventKind::Gadget, windowNumber, number}); });
  }
  if (widget->focusPolicy() != Qt::NoFocus) {
    QPointer<QWidget>& last = m_lastFocusable[spec.window];
    if (last) QWidget::setTabOrder(last, widget);
    last = widget;
  }
  widget->show();
  m_gadgets[spec.number] = Gadget{widget, spec.window, spec.kind, spec.flat, spec.text};
  return true;
}

QWidget* QtPlatform::FindWidget(int gadget) const {
  const auto found = m_gadgets.find(gadget);
  return found != m_gadgets.end() ? found->second.widget.data() : nullptr;
}

void QtPlatform::FreeGadget(int gadget) {
  const auto found = m_gadgets.find(gadget);
  if (found == m_gadgets.end()) return;
  delete found->second.widget.data();
  m_gadgets.erase(found);
}

void QtPlatform::SetGadgetText(int gadget, const std::string& text) {
  const auto found = m_gadgets.find(gadget);
  if (found == m_gadgets.end() || !found->second.widget) return;
  found->second.text = text;
  qt::ShowGadgetText(found->second.widget, found->second.kind, text);
}

std::string QtPlatform::GetGadgetText(int gadget) const {
  const auto found = m_gadgets.find(gadget);
  if (found == m_gadgets.end() || !found->second.widget) return {};
  if (found->second.kind == GadgetKind::Editor) return qt::EditorText(found->second.widget);
  return found->second.text;
}

void QtPlatform::SetGadgetFont(int gadget, int font) {
  QWidget* widget = FindWidget(gadget);
  const auto found = m_fonts.find(font);
  if (widget != nullptr && found != m_fonts.end()) widget->setFont(found->second);
}

void QtPlatform::SetGadgetColours(int gadget, Colour text, Colour background) {
  const auto found = m_gadgets.find(gadget);
  if (found == m_gadgets.end() || !found->second.widget) return;
  qt::ApplyGadgetColours(found->second.widget, found->second.kind, found->second.flat, text, background);
}

void QtPlatform::SetGadgetHidden(int gadget, bool hidden) {
  if (QWidget* widget = FindWidget(gadget)) widget->setVisible(!hidden);
}

void QtPlatform::MoveGadget(int gadget, int x, int y, int width, int height) {
  if (QWidget* widget = FindWidget(gadget)) widget->setGeometry(x, y, width, height);
}

void QtPlatform::SetGadgetToolTip(int gadget, const std::string& text) {
  QWidget* widget = FindWidget(gadget);
  if (widget == nullptr) return;
  // Escaped so that Qt never takes the text for rich text.
  widget->setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>")
                         .arg(QString::fromUtf8(text).toHtmlEscaped()));
}

int QtPlatform::AddBalloonTip(int window, int gadget, const std::string& text, int maxWidth) {
  const auto owner = m_windows.find(window);
  QWidget* watched = FindWidget(gadget);
  if (owner == m_windows.end() || watched == nullptr) return 0;
  new qt::BalloonTip(owner->second.get(), watched, QString::fromUtf8(text), maxWidth);
  return ++m_tipCounter;
}

bool QtPlatform::LoadFont(int number, const FontSpec& spec) {
  if (spec.face.empty() || spec.pointSize <= 0) return false;
  QFont font(QString::fromUtf8(spec.face));
  font.setPointSize(spec.pointSize);
  font.setBold(spec.bold);
  font.setStyleStrategy(QFont::PreferQuality);
  m_fonts[number] = font;
  return true;
}

Event QtPlatform::WaitEvent() {
  while (m_events.empty()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    // No event loop runs here, so objects Qt deletes later are freed by hand.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  const Event next = m_events.front();
  m_events.pop_front();
  return next;
}

bool QtPlatform::AnyShownWindowUnexposed() const {
  for (const auto& [number, window] : m_windows) {
    const QWindow* handle = window->windowHandle();
    if (window->isVisible() && !window->isMinimized() && handle != nullptr && !handle->isExposed()) return true;
  }
  return false;
}

// Waits, taking no input, until the window system has mapped every window
// shown (a window is painted when it is exposed), then paints what is due.
void QtPlatform::PaintShownWindows() {
  QTimer limit;
  limit.setSingleShot(true);
  limit.start(kFirstPaintWaitMs);  // also wakes the wait below when nothing else comes
  while (AnyShownWindowUnexposed() && limit.isActive()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
  }
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// The work runs on a thread of its own; this thread meanwhile handles every
// event but user input, which Qt keeps queued for the next full processing.
// The program's own events (clicks, close requests, drops) only queue up in
// m_events, which only WaitEvent hands out.
void QtPlatform::RunKeepingPainted(std::function<void()> work) {
  PaintShownWindows();
  std::atomic<bool> done{false};
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  std::thread worker;
  try {
    worker = std::thread([&work, &done, dispatcher] {
      work();
      done.store(true);
      dispatcher->wakeUp();
    });
  } catch (const std::system_error&) {
    work();
    return;
  }
  while (!done.load()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
  }
  worker.join();
}

void QtPlatform::SetPlatformLanguage(const std::string& languageCode) {
  if (m_translator) {
    QCoreApplication::removeTranslator(m_translator.get());
    m_translator.reset();
  }
  if (languageCode.empty() || languageCode == kEnglishCode) return;
  auto translator = std::make_unique<QTranslator>();
  const QString name = QString::fromLatin1(kQtTranslationsPrefix) + QString::fromStdString(languageCode);
  if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return;
  QCoreApplication::installTranslator(translator.get());
  m_translator = std::move(translator);
}

std::optional<std::string> QtPlatform::GetClipboardText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr || !data->hasText()) return std::nullopt;
  return data->text().toStdString();
}

bool QtPlatform::SetClipboardText(const std::string& text) {
  const QString wanted = QString::fromUtf8(text);
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(wanted);
  return clipboard->text() == wanted;
}

void QtPlatform::RunOnUiThread(std::function<void()> change) {
  const std::shared_ptr<PostBox> box = m_postBox;
  std::lock_guard lock(box->mutex);
  if (box->receiver == nullptr) return;
  QMetaObject::invokeMethod(box->receiver, std::move(change), Qt::QueuedConnection);
}

bool QtPlatform::StartThread(std::function<void()> work) {
  try {
    std::thread(std::move(work)).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void QtPlatform::Delay(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void QtPlatform::EndProcess(int exitCode) {
  HandOverClipboard();
  std::fflush(nullptr);
  std::_Exit(exitCode);
}

}  // namespace

std::unique_ptr<Platform> CreateQtPlatform(int& argc, char** argv) {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  return std::make_unique<QtPlatform>(argc, argv);
}

}  // namespace platform
