#pragma once

#include <QString>

// What the login window makes of the gateway's answer to its GetInfo check.
enum class LoginReply {
    ConnectionError,  // no connection, or a web page instead of an answer
    WrongCredentials, // "01", "03"
    CannotSend,       // "04", "05": something filters the connection
    Refused,          // any other code of the list: back to idle, no message
    Accepted,         // anything else, for instance the credit balance
};

LoginReply ClassifyLoginReply(const QString& reply);
