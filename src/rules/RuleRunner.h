#pragma once

#include <QString>

// Automatic sending: one pass over the running rules, driven by the main
// window's polling timer (or by parlex-cli run-once).

// One pass: every accepted file of every running rule's incoming folder is
// sent as one package and moved to the rule's outgoing folder.
void OtoMesaj();
