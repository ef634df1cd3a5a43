#pragma once
// The program's three pictures: one clock on a pale-yellow disc, its figure
// dark green while work is recorded, red while not.

#include <string>

#include <wx/icon.h>

enum class zovPicture
{
    working,
    sleeping,
    window,
};

wxIcon zovPictureIcon(zovPicture picture);

// The picture's name in the desktop's icon theme ("ID-working", "ID-sleeping",
// "ID" for the window), when the installed theme has it; empty otherwise (a
// build run from its folder). A panel draws a named icon sharp at any size.
std::string zovPictureThemeName(zovPicture picture);
