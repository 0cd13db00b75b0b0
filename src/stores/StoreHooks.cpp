#include "stores/StoreHooks.h"

void InstallStoreHooks() {}
