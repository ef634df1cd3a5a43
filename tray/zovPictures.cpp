#include "zovPictures.h"

#include <gtk/gtk.h>

// Drawn by icons/make_icons.py.
#include "icons/sleeping.xpm"
#include "icons/window.xpm"
#include "icons/working.xpm"

wxIcon zovPictureIcon(zovPicture picture)
{
    switch (picture) {
    case zovPicture::working:
        return wxIcon(working_xpm);
    case zovPicture::sleeping:
        return wxIcon(sleeping_xpm);
    case zovPicture::window:
        break;
    }
    return wxIcon(window_xpm);
}

std::string zovPictureThemeName(zovPicture picture)
{
    std::string name = ZOV_APP_ID;
    if (picture == zovPicture::working)
        name += "-working";
    else if (picture == zovPicture::sleeping)
        name += "-sleeping";
    if (!gdk_screen_get_default())
        return std::string();  // no display: no theme to look in
    return gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), name.c_str()) ? name
                                                                              : std::string();
}
