#pragma once

// Shared by the tiny saver, its resources and its test.
#define TINY_SAVER_EXIT_CODE 7
#define TINY_SAVER_DIALOG_TITLE "Tiny saver settings"
