#include "scenes/CarriedState.h"

TCarriedState Carried;
