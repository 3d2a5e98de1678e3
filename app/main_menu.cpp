#include "app/main_menu.h"

void ShowMainMenu(HWND, int)
{
    // The pop-up arrives with the view modes; its callers are wired already.
}
