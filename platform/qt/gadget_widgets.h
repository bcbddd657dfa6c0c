// The Qt widgets behind each kind of gadget: creation, texts and colours.
#pragma once

#include "platform/platform.h"

#include <QPixmap>
#include <QWidget>

#include <string>

namespace platform::qt {

// Creates the widget for a gadget kind as a child of the window, at the
// spec's place. picture is the gadget's image (null when it has none); an
// Image gadget takes the size of its picture.
QWidget* CreateGadgetWidget(QWidget* window, const GadgetSpec& spec, const QPixmap* picture);

// Shows the text in the widget of that kind (UTF-8; "\r\n" as line breaks).
void ShowGadgetText(QWidget* widget, GadgetKind kind, const std::string& text);

// The text an Editor holds now, exactly as set while unedited.
std::string EditorText(const QWidget* widget);

// Applies text and background colours as that kind of control shows them.
void ApplyGadgetColours(QWidget* widget, GadgetKind kind, bool flat, Colour text, Colour background);

// Applies a window's background colour.
void ApplyWindowColour(QWidget* window, Colour background);

}  // namespace platform::qt
