#include "Vix_dynamicarrays.h"

void RaiseDynamicArrayCapacityError() {
    throw EDynamicArrayError("The program cannot set the capacity.");
}

template class TDynamicArrayBuilder<int>;
