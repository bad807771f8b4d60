#include "Vix_dynamicarrays.h"

#include "Rtl_texts.h"

void RaiseDynamicArrayCapacityError() {
    throw EDynamicArrayError(rtl::Tr("The program cannot set the capacity."));
}

template class TDynamicArrayBuilder<int>;
