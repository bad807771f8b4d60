#include "App_handler.h"
