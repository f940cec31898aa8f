// App Paths, the uninstall entry and the default-editor registration.
#pragma once

// UM_REGISTER's work: writes the entries and asks the question; the caller then finishes.
void RegisterApplication(void);
