// The Qt side may include the toolkit below it.
#include "toolkit/Form.h"
