#pragma once

#include <QString>

// The maker's web addresses for the running account. Every value put into
// an address is percent-encoded, so "&", "#" or a blank in a user name or a
// password stays part of that value.

// The web SMS client the advertisement window shows.
QString WebClientAddress();
// The support site the support window opens: the login page with the
// credentials for the main account, the site's root for a Hollin gateway.
QString SupportAddress();
