#pragma once

// The configure dialog's template id, which a saver program's resources
// supply; plain defines so that resource scripts can read them too.
#define DLG_SCRNSAVECONFIGURE 2003
