// The one run at a time of the setup program and the uninstaller, machine-wide.
#pragma once

// Takes the named mutex that both programs hold while they run; it is released when the
// process ends. An installation for all users takes the machine's; one for the current user
// (perUser), who may not make machine-wide names, the session's. Returns 0, or -1 when
// another run holds it.
int TakeRunMutex(int perUser);
