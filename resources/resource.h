// Resource numbers of pelkrin.exe, shared by the .rc script and the code that loads them.
#pragma once

// Icons of the main window.
#define IDI_NORMAL 101     // pelking on; also the main window's icon
#define IDI_ANIM1 102      // animation frame: trash can, lid closed
#define IDI_ANIM2 103      // animation frame: trash can, lid open
#define IDI_PELK_OFF 104   // pelking off: the normal icon under a slashed circle

// Cursors.
#define IDC_CLOSE_MARK 201  // over a window's close mark
#define IDC_BUTTON_HAND 202 // over a push button
