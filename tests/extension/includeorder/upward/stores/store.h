#pragma once

#include "panel/state.h"
