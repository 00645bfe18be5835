#pragma once

// Resource numbers shared by kelvandor.rc and the window.

#define IDI_KELVANDOR 1
