#pragma once
// The one exception type of the data layer: its message is what the user is shown.
#include <stdexcept>
#include <string>

namespace velmora::ado {

class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace velmora::ado
