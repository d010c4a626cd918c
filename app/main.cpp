// zelvane: finds USB devices in update mode on the system's drives and writes the database image
// beside this executable into each of them. No command line. The toolkit's entry point
// (platform/window/application.h) makes the toolkit ready and calls ProgramMain.

#include <cstdio>
#include <cstdlib>

#include "app/app_start.h"
#include "app/zelvane_app.h"
#include "platform/window/application.h"

int ProgramMain() {
    PrepareApplication();
    theApp.InitInstance();
    // The monitor and the workers are never told to stop: the process ends here, at once, also
    // in the middle of a transfer. Destructors of globals are not run, since those threads may
    // still be using them; the system closes the drives. What the headless report holds is
    // written first, unless its reader does not keep up.
    FinishApplication();
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}
