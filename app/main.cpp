#include "app/run_conversion.h"

#ifdef _WIN32
#include <cstdio>
#include <cstdlib>
#include <windows.h>

namespace
{

// The console's code page as the program found it.
UINT console_code_page_at_start()
{
    static const UINT code_page = GetConsoleOutputCP();
    return code_page;
}

void restore_console_code_page()
{
    static_cast<void>(std::fflush(stdout));
    SetConsoleOutputCP(console_code_page_at_start());
}

// The manifest makes UTF-8 the program's code page, in which it takes its arguments and echoes
// the file names; a console keeps a code page of its own, and shows them as typed only in the
// same one. The console gets its own back when the program ends.
void show_utf8_on_console()
{
    console_code_page_at_start();
    if (SetConsoleOutputCP(CP_UTF8)) {
        std::atexit(restore_console_code_page);
    }
}

} // namespace
#endif

int main(int argc, char** argv)
{
#ifdef _WIN32
    show_utf8_on_console();
#endif
    return run_conversion(argc, argv);
}
