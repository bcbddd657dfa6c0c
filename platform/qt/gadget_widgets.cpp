// Builds each kind of gadget from Qt widgets and gives it texts and colours.
#include "platform/qt/gadget_widgets.h"

#include "platform/qt/button_gadget.h"
#include "platform/qt/editor_widget.h"
#include "platform/qt/frame_box.h"
#include "platform/qt/status_field.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QLabel>

namespace platform::qt {
namespace {

constexpr int kPressedShade = 115;     // percent darker while a button is down
constexpr int kBorderShade = 200;      // percent darker for a flat button's border

QColor ToQColor(Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

QString DisplayText(const std::string& text) {
  QString shown = QString::fromUtf8(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

QWidget* CreateWidget(QWidget* window, const GadgetSpec& spec, const QPixmap* picture) {
  switch (spec.kind) {
    case GadgetKind::Image: {
      auto* label = new QLabel(window);
      if (picture != nullptr) label->setPixmap(*picture);
      return label;
    }
    case GadgetKind::Text: {
      auto* label = new QLabel(window);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment((spec.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
      return label;
    }
    case GadgetKind::Frame:
      return new FrameBox(window);
    case GadgetKind::Button:
      return new ButtonGadget(window);
    case GadgetKind::ImageButton: {
      auto* button = new ButtonGadget(window);
      if (picture != nullptr) {
        button->setIcon(QIcon(*picture));
        button->setIconSize(picture->size());
      }
      return button;
    }
    case GadgetKind::StatusField:
      return new StatusField(window);
    case GadgetKind::Editor:
      return CreateEditorWidget(window);
  }
  return nullptr;
}

QString CssColour(Colour colour, const char* systemDefault) {
  switch (colour.kind) {
    case Colour::Kind::Explicit: return ToQColor(colour.rgb).name();
    case Colour::Kind::Transparent: return QStringLiteral("transparent");
    case Colour::Kind::SystemDefault: break;
  }
  return QString::fromLatin1(systemDefault);
}

// A flat button is a plain face with a thin border; a stylesheet is the one
// way to keep its background colour visible under every widget style.
QString ButtonStyleSheet(bool flat, Colour text, Colour background) {
  const bool explicitFace = background.kind == Colour::Kind::Explicit;
  const QColor face = ToQColor(background.rgb);
  const QString border = explicitFace ? face.darker(kBorderShade).name() : QStringLiteral("palette(dark)");
  const QString pressed = explicitFace ? face.darker(kPressedShade).name() : QStringLiteral("palette(mid)");
  const QString edge = flat ? QStringLiteral("solid") : QStringLiteral("outset");
  return QStringLiteral(
             "QPushButton { background-color: %1; color: %2; border: 1px %5 %3; padding: 0px; }"
             "QPushButton:pressed { background-color: %4; }"
             "QPushButton:focus { border-width: 2px; }")
      .arg(CssColour(background, "palette(button)"), CssColour(text, "palette(button-text)"),
           border, pressed, edge);
}

void ApplyPalette(QWidget* widget, QPalette::ColorRole textRole, QPalette::ColorRole backgroundRole,
                  Colour text, Colour background, QWidget* filled) {
  const QPalette defaults = QApplication::palette(widget);
  QPalette colours = widget->palette();
  colours.setColor(textRole, text.kind == Colour::Kind::Explicit ? ToQColor(text.rgb)
                                                                 : defaults.color(textRole));
  switch (background.kind) {
    case Colour::Kind::Explicit: colours.setColor(backgroundRole, ToQColor(background.rgb)); break;
    case Colour::Kind::Transparent: colours.setColor(backgroundRole, Qt::transparent); break;
    case Colour::Kind::SystemDefault: colours.setColor(backgroundRole, defaults.color(backgroundRole)); break;
  }
  widget->setPalette(colours);
  filled->setAutoFillBackground(background.kind != Colour::Kind::Transparent);
}

}  // namespace

QWidget* CreateGadgetWidget(QWidget* window, const GadgetSpec& spec, const QPixmap* picture) {
  QWidget* widget = CreateWidget(window, spec, picture);
  if (widget == nullptr) return nullptr;
  if (spec.kind == GadgetKind::Image && picture != nullptr) {
    widget->setGeometry(spec.x, spec.y, picture->width(), picture->height());
  } else {
    widget->setGeometry(spec.x, spec.y, spec.width, spec.height);
  }
  if (spec.kind == GadgetKind::Button && spec.flat) {
    widget->setStyleSheet(ButtonStyleSheet(true, Colour::SystemDefault(), Colour::SystemDefault()));
  }
  // A group box is drawn behind the controls it encloses, whatever the
  // order they were made in.
  if (spec.kind == GadgetKind::Frame) widget->lower();
  ShowGadgetText(widget, spec.kind, spec.text);
  return widget;
}

void ShowGadgetText(QWidget* widget, GadgetKind kind, const std::string& text) {
  switch (kind) {
    case GadgetKind::Text: static_cast<QLabel*>(widget)->setText(DisplayText(text)); break;
    case GadgetKind::Frame: static_cast<QGroupBox*>(widget)->setTitle(DisplayText(text)); break;
    case GadgetKind::Button: static_cast<QPushButton*>(widget)->setText(DisplayText(text)); break;
    case GadgetKind::StatusField: static_cast<StatusField*>(widget)->SetText(DisplayText(text)); break;
    case GadgetKind::Editor: SetEditorText(widget, text); break;
    case GadgetKind::Image:
    case GadgetKind::ImageButton: break;  // they show their picture only
  }
}

std::string EditorText(const QWidget* widget) { return GetEditorText(widget); }

void ApplyGadgetColours(QWidget* widget, GadgetKind kind, bool flat, Colour text, Colour background) {
  switch (kind) {
    case GadgetKind::Button:
    case GadgetKind::ImageButton:
      widget->setStyleSheet(ButtonStyleSheet(flat || kind == GadgetKind::ImageButton, text, background));
      break;
    case GadgetKind::StatusField:
    case GadgetKind::Editor: {
      auto* area = static_cast<QAbstractScrollArea*>(widget);
      ApplyPalette(widget, QPalette::Text, QPalette::Base, text, background, area->viewport());
      break;
    }
    case GadgetKind::Image:
    case GadgetKind::Text:
    case GadgetKind::Frame:
      ApplyPalette(widget, QPalette::WindowText, QPalette::Window, text, background, widget);
      break;
  }
}

void ApplyWindowColour(QWidget* window, Colour background) {
  QPalette colours = window->palette();
  const QColor fill = background.kind == Colour::Kind::Explicit
      ? ToQColor(background.rgb)
      : QApplication::palette(window).color(QPalette::Window);
  colours.setColor(QPalette::Window, fill);
  window->setPalette(colours);
  window->setAutoFillBackground(true);
}

}  // namespace platform::qt
