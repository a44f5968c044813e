// The box layer may include everything below it.
#include "store/Binding.h"
#include "toolkit/Form.h"
#include "generated/version.h"
