#pragma once

// The saver's own resources.
#define IDB_SAVER_PREVIEW 118
#define IDI_SAVER 122
