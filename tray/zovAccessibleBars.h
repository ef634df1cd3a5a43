#pragma once
// The bars of a window that draws them itself, as objects for screen readers
// (AT-SPI). wxAccessible does not exist in wxGTK, and GTK gives a widget no
// accessible parts of its own drawing; so a windowless GTK widget of one
// pixel sits in the window, and its accessible object has one child per bar:
// named by the bar's tooltip text, at the bar's place on screen, focused
// with the bar.

#include <string>
#include <vector>

#include <wx/gdicmn.h>

class wxWindow;
class wxNativeWindow;
typedef struct _AtkObject AtkObject;

namespace zovtray {

struct accessible_bar
{
    std::string name;
    wxRect rect;  // in the window's client coordinates
};

class AccessibleBars
{
public:
    explicit AccessibleBars(wxWindow* window);
    ~AccessibleBars();
    AccessibleBars(const AccessibleBars&) = delete;
    AccessibleBars& operator=(const AccessibleBars&) = delete;

    void Set(const std::vector<accessible_bar>& bars);
    // The bar that has the keyboard focus; -1: none.
    void Focus(int index);

    // The accessible object that holds the bars (for tests; a child of the
    // window's own accessible object).
    AtkObject* Accessible() const;

private:
    wxNativeWindow* m_native;
};

}  // namespace zovtray
