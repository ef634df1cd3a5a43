#pragma once
// Small sizing helpers that keep labels and buttons whole whatever the theme
// and font size: a width asked for in pixels is a least, never a cut.

#include <wx/arrstr.h>
#include <wx/gdicmn.h>

class wxStaticBoxSizer;
class wxWindow;

namespace zovlayout {

// Border kept around controls inside a labelled box: GTK themes draw the
// box's frame a few pixels inside the room the toolkit reckons with.
constexpr int box_inner_border = 4;

// The control's width: `width` pixels, or more where its content needs it.
void SetWidthAtLeast(wxWindow* control, int width);

// The widest of the texts in the control's font, in pixels.
int WidestText(const wxWindow* control, const wxArrayString& texts);

// The labelled box is at least as wide as its label.
void KeepLabelWhole(wxStaticBoxSizer* box);

// Makes the window's top-level window large enough that the window gets its
// best size (a grid all its rows), as far as the screen's work area allows.
// Never shrinks it.
void GrowToShow(wxWindow* window);

// The size to give a top-level window: `wanted`, at least its least size,
// at most the work area of its screen.
wxSize SizeOnScreen(const wxWindow* top, const wxSize& wanted);

}  // namespace zovlayout
