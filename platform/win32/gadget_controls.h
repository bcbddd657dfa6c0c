// The Win32 controls behind each kind of gadget except the editor: creation, texts and owner-drawn buttons.
#pragma once

#include "platform/platform.h"

#include <windows.h>

#include <string>

namespace platform::win32 {

// A picture as a control shows it.
struct ShownPicture {
  HBITMAP bitmap = nullptr;
  int width = 0;
  int height = 0;
};

// Creates the control of an Image, Text, Frame, Button, ImageButton or
// StatusField gadget in `parent`, its control id the gadget number, its
// text set; an Image takes the size of its picture. A frame goes to the
// bottom of the z-order, behind the gadgets it encloses. nullptr on
// failure or for an Editor.
HWND CreateGadgetControl(HWND parent, const GadgetSpec& spec, const ShownPicture& picture);

// Puts the group boxes of `parent` behind all its other controls again: a
// new control is created at the bottom of the z-order.
void LowerFrames(HWND parent);

// Widens the status field's formatting rectangle far beyond its sides, so
// its lines never wrap: a centred multi-line edit ignores ES_AUTOHSCROLL
// and would wrap at its width. Needed again after a move or a new font,
// which reset the rectangle.
void KeepLinesUnwrapped(HWND field);

// Shows `text` (UTF-8) in the control of a gadget of that kind; pictures
// and editors are left alone.
void ShowControlText(HWND control, GadgetKind kind, const std::string& text);

// Detaches the picture from an Image or ImageButton control before it is
// destroyed, and frees any copy the control made of it.
void ReleaseControlPicture(HWND control, GadgetKind kind, HBITMAP own);

// Switches a button between its native look and drawing by its parent
// (WM_DRAWITEM), which colours need: a themed push button ignores them.
void SetOwnerDrawn(HWND button, bool ownerDrawn);

// How an owner-drawn button looks.
struct ButtonLook {
  Colour text;
  Colour background;
  COLORREF parentBackground = 0;  // what a transparent face shows
  ShownPicture picture;           // an image button's picture
};

// Draws an owner-drawn button: a flat face in the background colour with a
// thin darker border, darker while pressed, its caption centred in the
// control's font or its picture centred, a focus rectangle when focused.
void DrawButton(const DRAWITEMSTRUCT& item, const ButtonLook& look);

}  // namespace platform::win32
