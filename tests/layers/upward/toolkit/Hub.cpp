// A toolkit unit that reaches up into the store.
#include "toolkit/Form.h"
#include "store/muDataHolder.h"
