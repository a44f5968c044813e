// The box layer may include everything below it.
// The includes stand as written, spacing and order included.
// clang-format off
#include "store/Binding.h"
#include "toolkit/Form.h"
#include "generated/version.h"
