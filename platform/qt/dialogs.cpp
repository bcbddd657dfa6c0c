// File requesters over QFileDialog and message boxes over QMessageBox.
#include "platform/qt/dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QSpacerItem>

namespace platform::qt {
namespace {

constexpr unsigned kButtonBits = 0x0F;
constexpr unsigned kIconBits = 0xF0;
// What a title bar holds beside its title: the window icon, up to four
// boxes and the margins between them, in pixels.
constexpr int kTitleBarAllowance = 160;
// Qt's own wording, so that its translations apply.
constexpr const char* kMissingFolderContext = "QFileDialog";
constexpr const char* kMissingFolderText =
    "%1\nDirectory not found.\nPlease verify the correct directory name was given.";

// Refuses a typed file whose folder does not exist, as the program's open
// and save requesters require the folder to exist.
class RequesterDialog final : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    const QStringList chosen = selectedFiles();
    if (!chosen.isEmpty() && !QFileInfo(chosen.first()).absoluteDir().exists()) {
      QMessageBox::warning(this, windowTitle(),
                           QCoreApplication::translate(kMissingFolderContext, kMissingFolderText)
                               .arg(chosen.first()));
      return;
    }
    QFileDialog::accept();
  }
};

// The width a title needs in the title bar, which window managers draw in a
// bold face of about the program's size.
int TitleBarWidth(const QString& title) {
  QFont face = QApplication::font();
  face.setBold(true);
  return QFontMetrics(face).horizontalAdvance(title) + kTitleBarAllowance;
}

// Keeps the box at least `width` pixels wide: QMessageBox sizes itself to
// its text and buttons, and takes a minimum width only from its layout.
void KeepAtLeastWide(QMessageBox& box, int width) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                grid->columnCount());
}

// Shrinks the dialog to the available screen less its frame where its
// natural size is larger; Qt then places it within that area itself.
void KeepWithinScreen(QDialog& dialog, const FrameExtents& frame) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QSize room = screen->availableGeometry().size() -
                     QSize(frame.left + frame.right, frame.top + frame.bottom);
  const QSize natural = dialog.sizeHint();
  if (natural.width() > room.width() || natural.height() > room.height()) {
    dialog.resize(natural.boundedTo(room).expandedTo(dialog.minimumSizeHint()));
  }
}

QString FilterLabel(QString label) {
  static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  return label.remove(trailingPatterns).trimmed();
}

}  // namespace

QStringList NameFiltersFromPattern(const std::string& pattern) {
  QStringList filters;
  if (pattern.empty()) return filters;
  const QStringList parts = QString::fromUtf8(pattern).split(QLatin1Char('|'));
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    QString patterns = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns.isEmpty()) patterns = QStringLiteral("*");
    filters << QStringLiteral("%1 (%2)").arg(FilterLabel(parts[i]), patterns);
  }
  return filters;
}

MessageBoxLook LookForType(unsigned type) {
  MessageBoxLook look;
  look.yesNo = (type & kButtonBits) == kMbYesNo;
  switch (type & kIconBits) {
    case kMbIconError: look.icon = QMessageBox::Critical; break;
    case kMbIconQuestion: look.icon = QMessageBox::Question; break;
    case kMbIconWarning: look.icon = QMessageBox::Warning; break;
    case kMbIconInformation: look.icon = QMessageBox::Information; break;
    // The combined bits (information | error, and all three) have no icon
    // of their own: information and warning are the nearest.
    case kMbIconInformation | kMbIconError: look.icon = QMessageBox::Information; break;
    case kMbIconInformation | kMbIconWarning: look.icon = QMessageBox::Warning; break;
    default: break;
  }
  return look;
}

std::string RunFileRequester(const RequesterSpec& spec, const FrameExtents& frame) {
  RequesterDialog dialog(nullptr, QString::fromUtf8(spec.title), QFile::decodeName(spec.startPath.c_str()));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (spec.kind == RequesterKind::Save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
  }
  const QStringList filters = NameFiltersFromPattern(spec.pattern);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    if (spec.selectedPattern >= 0 && spec.selectedPattern < filters.size()) {
      dialog.selectNameFilter(filters[spec.selectedPattern]);
    }
  }
  KeepWithinScreen(dialog, frame);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return {};
  return QFile::encodeName(QFileInfo(chosen.first()).absoluteFilePath()).toStdString();
}

int RunMessageBox(const std::string& title, const std::string& text, unsigned type) {
  const MessageBoxLook look = LookForType(type);
  QMessageBox box(look.icon, QString::fromUtf8(title), QString::fromUtf8(text),
                  look.yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(look.yesNo ? QMessageBox::Yes : QMessageBox::Ok);
  KeepAtLeastWide(box, TitleBarWidth(box.windowTitle()));
  box.exec();
  if (!look.yesNo) return kAnswerOk;
  return box.clickedButton() == box.button(QMessageBox::Yes) ? kAnswerYes : kAnswerNo;
}

}  // namespace platform::qt
