// The one instance of the process-wide setup record.
#include "setup/setup_state.h"

SetupState setupState;
