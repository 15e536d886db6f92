#include "RuleRunner.h"

void OtoMesaj() {
    // Filled in with the file sender.
}
