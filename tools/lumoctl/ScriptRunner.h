// ScriptRunner: runs lumoctl statements on one control through its IDispatch.
//
// Members are found by name (GetIDsOfNames) and called by Invoke. Where the control library's
// member table knows a member, arguments are made from the words by the declared parameter
// types (a string parameter takes the word's text as it is, so "0100000000" keeps its zero);
// otherwise, and for VARIANT parameters, a word is read by its form: a quoted word is a
// string, true/false a boolean, a decimal number a 32-bit integer, hex:DIGITS a byte array,
// anything else a string.
//
// Output: a put and a call of a method without a result print nothing; every other statement
// prints one line with its value (strings as they are, booleans true/false, integers decimal,
// byte arrays hex: + lowercase digits, an empty variant as an empty line), then one line
// NAME=value per in/out parameter. A failing statement prints "error 0x%08X: DESCRIPTION" on
// the error stream and run() returns false. GUI thread of the host only.
#pragma once

#include <ostream>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/com/Dispatch.h"
#include "tools/lumoctl/Statement.h"

namespace lumo::lumoctl {

class ScriptRunner {
public:
    ScriptRunner(IDispatch* control, std::ostream& out, std::ostream& err);

    // Throws StatementError for an argument word that cannot be read (bad hex digits).
    bool run(const Statement& statement);

private:
    bool fail(HRESULT hr, const std::string& description);

    com::ComPtr<IDispatch> m_control;
    std::ostream& m_out;
    std::ostream& m_err;
};

// The value as lumoctl prints it.
std::string formatValue(const VARIANT& value);
// The variant a word stands for by its form (see above); the caller clears it.
VARIANT literalValue(const Word& word);
// "error 0x80020006: Unknown name: Foo"
std::string errorLine(HRESULT hr, const std::string& description);

}  // namespace lumo::lumoctl
