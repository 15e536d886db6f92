#pragma once

#include <QString>

#include "core/Recordset.h"

// The statement of the sent-package list: every package recorded under the
// account mode `mode`, newest first, with the name of the rule that sent it
// (empty when that rule is gone, and for a package sent from a file). Columns: id, msgid, msgtip,
// dosya_adi, kural_adi, tarih, gtarih, gateway, originator, paket_boyut.
QString PackageListStatement(const QString& mode);

// The package list of the running account mode (App().gGatewayMode), as the
// reports window and `parlex-cli packages` show it. Opens the database when
// it is closed; a failing statement raises DatabaseError.
Recordset PackageList();
