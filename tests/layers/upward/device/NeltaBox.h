// The box layer may include everything below it.
#include "generated/version.h"
#include "store/Binding.h"
#include "toolkit/Form.h"
