// The one instance of the process-wide setup record.
#include "base/setup_state.h"

SetupState setupState;
