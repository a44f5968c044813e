// A toolkit unit that reaches up into the store.
// The includes stand as written, spacing and order included.
// clang-format off
#include "toolkit/Form.h"
#include "store/muDataHolder.h"
