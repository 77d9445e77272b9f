#include "app/interface.h"

Interface interface_;
