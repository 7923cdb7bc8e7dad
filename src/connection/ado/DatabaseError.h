#pragma once
// The one exception type of the data layer: its message is what the user is shown.
#include <stdexcept>
#include <string>

namespace velmora::ado {

class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The driver reports that the connection to the server is gone: every further call on it fails
// until it is closed and opened again.
class EConnectionLost : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// The server refused the login: a user name or password it does not know, or a login it does
// not allow.
class ELoginRefused : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// The server does not switch the session to another database (USE), as Azure SQL Database
// refuses to (error 40508): another database needs a connection of its own.
class EDatabaseSwitchRefused : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

} // namespace velmora::ado
