// A toolkit header that pulls in the toolkit's Qt side.
#include <string>

#include "toolkit/qt/QtForm.h"
