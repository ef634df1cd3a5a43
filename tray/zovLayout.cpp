#include "zovLayout.h"

#include <algorithm>

#include <wx/display.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/window.h>

namespace zovlayout {

void SetWidthAtLeast(wxWindow* control, int width)
{
    control->SetInitialSize(wxSize(std::max(width, control->GetBestSize().GetWidth()), -1));
}

int WidestText(const wxWindow* control, const wxArrayString& texts)
{
    int widest = 0;
    for (const wxString& text : texts)
        widest = std::max(widest, control->GetTextExtent(text).GetWidth());
    return widest;
}

void KeepLabelWhole(wxStaticBoxSizer* box)
{
    wxStaticBox* frame = box->GetStaticBox();
    // The label sits indented in the frame's top line, with a little room
    // either side of it.
    const int label = frame->GetTextExtent(frame->GetLabel()).GetWidth();
    const wxSize least = box->GetMinSize();
    box->SetMinSize(wxSize(std::max(least.GetWidth(), label + 6 * box_inner_border),
                           least.GetHeight()));
}

wxSize SizeOnScreen(const wxWindow* top, const wxSize& wanted)
{
    const int display = wxDisplay::GetFromWindow(top);
    const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display))
                            .GetClientArea();
    wxSize size = wanted;
    size.DecTo(area.GetSize());
    size.IncTo(top->GetMinSize());
    return size;
}

void GrowToShow(wxWindow* window)
{
    wxWindow* top = wxGetTopLevelParent(window);
    if (!top || top == window)
        return;
    const wxSize best = window->GetBestSize();
    const wxSize has = window->GetSize();
    const wxSize missing(std::max(0, best.GetWidth() - has.GetWidth()),
                         std::max(0, best.GetHeight() - has.GetHeight()));
    if (missing == wxSize(0, 0))
        return;
    const wxSize size = SizeOnScreen(top, top->GetSize() + missing);
    if (size != top->GetSize()) {
        top->SetSize(size);
        top->Layout();
    }
}

}  // namespace zovlayout
