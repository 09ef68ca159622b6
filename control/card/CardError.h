// The error raised by card work and by the template cipher. The control's COM layer turns it
// into a failure status whose description is what() (or, where a member says so, into a message
// box and a result code); it never crosses the COM boundary itself.
#pragma once

#include <stdexcept>
#include <string>

namespace lumo::card {

class CardError : public std::runtime_error {
public:
    explicit CardError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace lumo::card
