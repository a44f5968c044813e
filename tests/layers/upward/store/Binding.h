// A store header that includes the box layer above it, and one that is fine.
#include "toolkit/Form.h"
#  include "device/NeltaBox.h"
