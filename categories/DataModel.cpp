#include "DataModel.h"

namespace tessaly {

namespace {
CDataModelState* g_pInstalled = nullptr;
}  // namespace

CDataModelState& DataModelState() {
    static CDataModelState defaultState;
    return g_pInstalled != nullptr ? *g_pInstalled : defaultState;
}

void SetDataModelState(CDataModelState* state) {
    g_pInstalled = state;
}

}  // namespace tessaly
