// Runs the GUI tests inside one initialised toolkit (under Xvfb).

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include <glib.h>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include "gui_support.h"
#include "zovTrayProbe.h"

wxIMPLEMENT_APP_NO_MAIN(zovTaskBarApp);

namespace {

wxApp* base_app = nullptr;

void fail_on_assert(const wxString& file, int line, const wxString& func, const wxString& cond,
                    const wxString& msg)
{
    ADD_FAILURE() << "toolkit assert at " << file << ":" << line << " in " << func << ": "
                  << cond << " " << msg;
}

}  // namespace

wxApp* zovgui::test_base_app()
{
    return base_app;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // The toolkit's own start-up may touch the home folder: give it a scratch one.
    zovtest::TempDir scratch;
    setenv("HOME", scratch.path().c_str(), 1);
    setenv("XDG_DATA_HOME", (scratch.path() + "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (scratch.path() + "config").c_str(), 1);

    // The tests build the program as it runs in an X11 notification area,
    // unless a test asks for another desktop.
    zovtray::set_probe_override(&zovgui::xembed_desktop);

    wxSetAssertHandler(fail_on_assert);
    base_app = new zovTaskBarApp;
    wxApp::SetInstance(base_app);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "GUI tests: the toolkit could not start (no display?)\n");
        return 1;
    }
    // Log messages to stderr, never into a dialog that would wait for a click.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    zovgui::install_answering_hook();

    // Run the toolkit's idle work of the start-up now, under the application
    // that queued it: a test that lets GLib dispatch would else run it under
    // its own application object, and the first one would later remove a
    // source that is gone.
    while (g_main_context_iteration(nullptr, FALSE)) {
    }

    const int result = RUN_ALL_TESTS();
    wxEntryCleanup();
    return result;
}
