#pragma once

#include <QString>

// Verifies the active account at start-up with a GetSystemTime request.
// Returns the gateway's reply when it is accepted (no "HTML" or "html" in it
// and not in the reply code list), otherwise "-1".
//
// On "-1" it has already shown both boxes the user sees when start-up gives
// up: the three-line error box titled "Parlex 1.0", then "Mesaj merkeziyle
// bağlantı kurulamıyor." titled "Parlex" (only the second after an unexpected
// error). The caller shows nothing more and ends.
//
// In a mode that is neither "Parlex" nor "Hollin" nothing is sent and the
// empty reply fails the check.
QString CheckGateway();
