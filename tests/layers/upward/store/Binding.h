// A store header that includes the box layer above it, and one that is fine.
// The includes stand as written, spacing and order included.
// clang-format off
#include "toolkit/Form.h"
#  include "device/NeltaBox.h"
