// The Qt side may include the toolkit below it.
// The includes stand as written, spacing and order included.
// clang-format off
#include "toolkit/Form.h"
