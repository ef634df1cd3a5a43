#include "zovPictures.h"

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
