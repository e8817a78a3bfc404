#include "app/CompactStyle.h"

#include <dlfcn.h>

namespace
{
// The GTK style-sheet calls, looked up in the already loaded toolkit so that the program
// needs no build dependency of its own on GTK's headers.
using NewProvider = void* (*)();
using LoadData = int (*)(void*, const char*, long, void**);
using DefaultScreen = void* (*)();
using AddProvider = void (*)(void*, void*, unsigned);

constexpr unsigned ApplicationPriority = 600;

const char* const Css = "entry { min-height: 0; padding-top: 0; padding-bottom: 0; }\n"
                        "combobox button, combobox box button { min-height: 0; padding-top: 0; "
                        "padding-bottom: 0; }\n"
                        "spinbutton, spinbutton button { min-height: 0; padding-top: 0; "
                        "padding-bottom: 0; }\n"
                        "toolbar { padding: 0; }\n"
                        "toolbar button { min-height: 0; min-width: 0; padding: 1px; }\n";
} // namespace

void ApplyCompactStyle()
{
    static bool applied = false;
    if (applied)
        return;
    applied = true;
    auto newProvider = reinterpret_cast<NewProvider>(dlsym(RTLD_DEFAULT, "gtk_css_provider_new"));
    auto loadData =
        reinterpret_cast<LoadData>(dlsym(RTLD_DEFAULT, "gtk_css_provider_load_from_data"));
    auto screen = reinterpret_cast<DefaultScreen>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
    auto add = reinterpret_cast<AddProvider>(
        dlsym(RTLD_DEFAULT, "gtk_style_context_add_provider_for_screen"));
    if (!newProvider || !loadData || !screen || !add || !screen())
        return;
    void* provider = newProvider();
    if (!provider)
        return;
    loadData(provider, Css, -1, nullptr);
    add(screen(), provider, ApplicationPriority);
}
