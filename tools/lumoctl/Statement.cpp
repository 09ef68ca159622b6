#include "tools/lumoctl/Statement.h"

namespace lumo::lumoctl {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

std::vector<Word> splitWords(std::string_view line) {
    std::vector<Word> words;
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i == line.size()) break;
        Word word;
        if (line[i] == '"') {
            word.quoted = true;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i];
                if (c == '\\' && i + 1 < line.size() &&
                    (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    word.text += line[i + 1];
                    i += 2;
                } else if (c == '"') {
                    closed = true;
                    ++i;
                    break;
                } else {
                    word.text += c;
                    ++i;
                }
            }
            if (!closed) throw StatementError("missing closing quote");
            if (i < line.size() && !isBlank(line[i]))
                throw StatementError("a blank must follow the closing quote");
        } else {
            while (i < line.size() && !isBlank(line[i])) word.text += line[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::optional<Statement> parseStatement(std::string_view line) {
    std::size_t first = 0;
    while (first < line.size() && isBlank(line[first])) ++first;
    if (first == line.size() || line[first] == '#') return std::nullopt;

    std::vector<Word> words = splitWords(line);
    Statement s;
    const Word& verb = words.front();
    if (verb.quoted) throw StatementError("a statement starts with get, put or call");
    if (verb.text == "get")
        s.verb = Verb::Get;
    else if (verb.text == "put")
        s.verb = Verb::Put;
    else if (verb.text == "call")
        s.verb = Verb::Call;
    else
        throw StatementError("unknown statement \"" + verb.text + "\" (expected get, put or call)");
    if (words.size() < 2 || words[1].text.empty())
        throw StatementError(verb.text + " needs a member name");
    s.name = words[1].text;
    s.arguments.assign(words.begin() + 2, words.end());
    if (s.verb == Verb::Get && !s.arguments.empty())
        throw StatementError("get takes only a member name");
    if (s.verb == Verb::Put && s.arguments.size() != 1)
        throw StatementError("put takes a member name and one value");
    return s;
}

}  // namespace lumo::lumoctl
