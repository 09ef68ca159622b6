// DatabaseError: a failure of the person database (connection, statement, post, delete),
// carrying the database's own message as what().
#pragma once

#include <stdexcept>
#include <string>

namespace lumo::app {

class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lumo::app
