// A toolkit unit that reaches up into the store.
#include "store/muDataHolder.h"
#include "toolkit/Form.h"
