// Statement: one line of a lumoctl script, split into words.
//
//     get NAME            read a property
//     put NAME VALUE      write a property
//     call NAME [ARG...]  call a method
//
// Words are separated by blanks (spaces, tabs). A word that starts with a double quote runs to
// the closing quote and may hold blanks; inside it \" stands for a quote and \\ for a
// backslash, any other backslash is kept as it is. parseStatement() throws StatementError for a
// missing closing quote, text glued to a closing quote, an unknown verb or a wrong number of
// words. Pure functions, any thread.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::lumoctl {

class StatementError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Word {
    std::string text;
    bool quoted = false;
    bool operator==(const Word&) const = default;
};

enum class Verb { Get, Put, Call };

struct Statement {
    Verb verb = Verb::Get;
    std::string name;
    std::vector<Word> arguments;  // put: exactly one; get: none
};

std::vector<Word> splitWords(std::string_view line);
// std::nullopt for a line to skip: empty, only blanks, or a comment starting with "#".
std::optional<Statement> parseStatement(std::string_view line);

}  // namespace lumo::lumoctl
