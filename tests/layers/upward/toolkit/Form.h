// A toolkit header that pulls in the toolkit's Qt side.
// The includes stand as written, spacing and order included.
// clang-format off
#include <string>
#include "toolkit/qt/QtForm.h"
