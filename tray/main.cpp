// The tray program: the toolkit creates the application object and runs it.
#include "zovTaskBarApp.h"

wxIMPLEMENT_APP(zovTaskBarApp);
