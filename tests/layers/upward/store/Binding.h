// A store header that includes the box layer above it, and one that is fine.
#include "device/NeltaBox.h"
#include "toolkit/Form.h"
