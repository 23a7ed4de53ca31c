#pragma once

#include "state.h"
