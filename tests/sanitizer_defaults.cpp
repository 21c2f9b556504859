// Settings the sanitizer runtimes ask for at start-up, so that every test
// program has them however it is started (ctest, by hand, a debugger).

extern "C" {

// Qt's platforms (offscreen; VNC and X11 for the tests of high-density screens,
// the keyboard and screen readers), its D-Bus accessibility bridge and the
// font machinery keep a few objects until exit; only their libraries are
// suppressed, never ours.
const char *__lsan_default_suppressions()
{
    return "leak:libQt5Core\n"
           "leak:libQt5Gui\n"
           "leak:libQt5Widgets\n"
           "leak:libQt5Test\n"
           "leak:libqoffscreen\n"
           "leak:libqvnc\n"
           "leak:libqxcb\n"
           "leak:libQt5XcbQpa\n"
           "leak:libxcb\n"
           "leak:libQt5DBus\n"
           "leak:libdbus-1\n"
           "leak:libfontconfig\n"
           "leak:libglib-2.0\n"
           "leak:libgobject-2.0\n";
}

// The list of suppressions used would land on standard error, which some
// tests read for the program's own messages.
const char *__lsan_default_options()
{
    return "print_suppressions=0";
}

const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

} // extern "C"
