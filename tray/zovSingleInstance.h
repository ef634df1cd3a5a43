#pragma once
// One program per user and data folder: the first owns a D-Bus name made
// from the data folder and serves a method that shows its dialog; a second
// finds the name taken, calls that method and ends.

#include <functional>
#include <string>

struct _GDBusConnection;
struct _GDBusNodeInfo;

class zovSingleInstance
{
public:
    enum class Claim
    {
        first,         // this program owns the name
        other_shown,   // another one owns it and was asked to show its dialog
        no_bus,        // no session bus: nothing can be checked
    };

    // `show` runs (on the GUI thread) when a later start asks for the dialog.
    zovSingleInstance(_GDBusConnection* bus, const std::string& data_dir,
                      std::function<void()> show);
    ~zovSingleInstance();
    zovSingleInstance(const zovSingleInstance&) = delete;
    zovSingleInstance& operator=(const zovSingleInstance&) = delete;

    Claim Result() const { return m_claim; }
    const std::string& Name() const { return m_name; }

    static const char* const object_path;
    static const char* const interface;

private:
    static void OnMethodCall(_GDBusConnection* connection, const char* sender, const char* path,
                             const char* interface, const char* method, struct _GVariant* params,
                             struct _GDBusMethodInvocation* invocation, void* self);

    _GDBusConnection* m_bus;
    _GDBusNodeInfo* m_node = nullptr;
    unsigned m_object_id = 0;
    std::string m_name;
    std::function<void()> m_show;
    Claim m_claim = Claim::no_bus;
};
