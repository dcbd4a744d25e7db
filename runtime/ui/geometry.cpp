#include "runtime/ui/geometry.hpp"
