#pragma once
// The program's three pictures: one clock on a pale-yellow disc, its figure
// dark green while work is recorded, red while not.

#include <wx/icon.h>

enum class zovPicture
{
    working,
    sleeping,
    window,
};

wxIcon zovPictureIcon(zovPicture picture);
