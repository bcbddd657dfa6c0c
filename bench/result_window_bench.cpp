// Times ImageToText on the real Qt backend, from the start of the decode to a filled result editor, and editing in it.
//
// Run under QT_QPA_PLATFORM=offscreen. For a PNG of the largest text
// (5,233,648 bytes) of prose in lines of about 70 characters, and of the
// same bytes with no line break, it prints the medians of a few runs of:
// the decode alone (load, walk, text), the whole way to a result window whose
// editor holds the text (painted), one key press and one page-down in it.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>

#include "app/message_catalogue.h"
#include "bench/forwarding_platform.h"
#include "codec/encode_stream.h"
#include "codec/image_loader.h"
#include "jobs/image_to_text.h"
#include "codec/png_writer.h"
#include "codec/stream_decoder.h"
#include "sysio/replacement_file.h"
#include "platform/qt/editor_widget.h"
#include "platform/qt/qt_platform.h"
#include "ui/result_window.h"
#include "ui/session.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kTextBytes = 5'233'648;
constexpr int kRuns = 5;
constexpr int kLineLength = 70;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Prose-like text: words of a small vocabulary in sentences, lines of at
// most 70 characters ended by CR LF.
std::string MakeProse() {
  static const char* const words[] = {
      "the", "river", "ran", "quietly", "past", "old", "houses", "where", "children", "played",
      "and", "their", "mothers", "called", "them", "home", "for", "supper", "when", "evening",
      "light", "turned", "golden", "over", "fields", "of", "wheat", "a", "dog", "barked",
      "somewhere", "beyond", "hill", "while", "wind", "carried", "smell", "rain", "across", "valley"};
  std::string text;
  std::string line;
  unsigned seed = 12345;
  int sentence = 0;
  while (text.size() < kTextBytes) {
    seed = seed * 1103515245u + 12345u;
    std::string word = words[(seed >> 16) % std::size(words)];
    if (sentence == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
    if (++sentence > 8 + static_cast<int>((seed >> 8) % 9)) word += '.', sentence = 0;
    if (line.size() + 1 + word.size() > kLineLength) {
      text += line + "\r\n";
      line.clear();
    }
    line += line.empty() ? word : " " + word;
  }
  text.resize(kTextBytes);
  return text;
}

// The same bytes with every line break turned into blanks.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

bool WritePngOf(const std::string& text, const std::string& path) {
  codec::PixelList pixels;
  const codec::TextRead read = codec::ReadStreamBytes(text, pixels);
  if (read.error != codec::Error::None) return false;
  const codec::Result<codec::Image> drawn = codec::DrawStreamImage(pixels, read.textBytes);
  if (!drawn.ok()) return false;
  const codec::Result<std::string> png = codec::EncodePng(drawn.value);
  return png.ok() && sysio::ReplaceFileAtomically(path, png.value);
}

double DecodeAlone(const std::string& path, std::size_t expected) {
  const Clock::time_point start = Clock::now();
  const std::string text = codec::DecodeText(codec::LoadImageFile(path).value);
  const double ms = Ms(Clock::now() - start);
  if (text.size() != expected) std::fprintf(stderr, "decode gave %zu bytes\n", text.size());
  return ms;
}

platform::qt::LongLineEditor* ShownEditor() {
  for (QWidget* widget : QApplication::allWidgets()) {
    auto* editor = dynamic_cast<platform::qt::LongLineEditor*>(widget);
    if (editor != nullptr && editor->isVisible()) return editor;
  }
  return nullptr;
}

// Sends one key to the editor and paints it again; the time both take.
double KeyTime(platform::qt::LongLineEditor* editor, int key, const QString& text) {
  const Clock::time_point start = Clock::now();
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(editor, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(editor, &release);
  editor->viewport()->repaint();
  return Ms(Clock::now() - start);
}

// The Qt backend, with the PNG requester answered and the result window's
// loop measured and then closed.
class BenchPlatform final : public bench::ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;

  std::string answer;
  Clock::time_point shown;
  std::function<void()> inWindow;

  platform::Event WaitEvent() override {
    // The loop's first wait: the window is built and its text set; let it
    // show and paint before the clock stops.
    QApplication::processEvents();
    if (QWidget* editor = ShownEditor()) editor->repaint();
    shown = Clock::now();
    if (inWindow) inWindow();
    return {platform::EventKind::CloseRequest, ui::kResultWindow, -1};
  }
  std::string FileRequester(const platform::RequesterSpec&) override { return answer; }
};

struct Figures {
  double decode = 0;
  double window = 0;
  double key = 0;
  double pageDown = 0;
};

Figures Measure(BenchPlatform& bench, ui::Session& session, const std::string& png, std::size_t bytes) {
  std::vector<double> decode, window, key, pageDown;
  for (int run = 0; run < kRuns; ++run) decode.push_back(DecodeAlone(png, bytes));
  bench.answer = png;
  bench.inWindow = [&] {
    platform::qt::LongLineEditor* editor = ShownEditor();
    if (editor == nullptr) {
      std::fprintf(stderr, "no result editor\n");
      return;
    }
    key.push_back(KeyTime(editor, Qt::Key_A, QStringLiteral("a")));
    pageDown.push_back(KeyTime(editor, Qt::Key_PageDown, QString()));
  };
  for (int run = 0; run < kRuns; ++run) {
    const Clock::time_point start = Clock::now();
    jobs::ImageToText(session);
    window.push_back(Ms(bench.shown - start));
    if (session.decodedText.size() != bytes) std::fprintf(stderr, "result held %zu bytes\n", session.decodedText.size());
  }
  return {Median(decode), Median(window), Median(key), Median(pageDown)};
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<platform::Platform> qt = platform::CreateQtPlatform(argc, argv);
  if (!qt) return 1;
  BenchPlatform bench(*qt);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "letterloom-result-bench";
  std::filesystem::create_directories(dir);
  ui::Session session(bench);
  session.state = app::MakeAppState(dir.string(), dir.string());
  session.catalogue = app::FillCatalogue(app::kEnglish, session.state.VersionString, session.state.ContactsText);

  const std::string prose = MakeProse();
  const struct {
    const char* name;
    std::string text;
  } cases[] = {{"prose, 70-char lines", prose}, {"one single line", OneLine(prose)}};

  std::printf("ImageToText on the Qt backend (%s), %zu-byte text, medians of %d runs\n",
              qgetenv("QT_QPA_PLATFORM").constData(), kTextBytes, kRuns);
  std::printf("%-22s %12s %16s %12s %12s\n", "text", "decode ms", "window ms", "key ms", "page-down ms");
  for (const auto& c : cases) {
    const std::string png = (dir / "bench.png").string();
    if (!WritePngOf(c.text, png)) {
      std::fprintf(stderr, "cannot write %s\n", png.c_str());
      return 1;
    }
    const Figures f = Measure(bench, session, png, c.text.size());
    std::printf("%-22s %12.1f %16.1f %12.2f %12.2f\n", c.name, f.decode, f.window, f.key, f.pageDown);
  }
  std::printf("goals: window <= 1000 ms (prose), <= 2000 ms (single line); key <= 50 ms; page-down <= 100 ms\n");
  std::fflush(stdout);
  std::filesystem::remove_all(dir);
  qt->EndProcess(0);
}
