// lumoctl: runs statements on one Lumo control, created by ProgID through the registry.
//
//     lumoctl [--answer yes|no] [--display] [STATEMENT ...]
//
// With no statements on the command line they are read from standard input, one per line.
// Exit status: 0 when every statement succeeded, 1 after the first failing statement (or when
// the control cannot be created), 2 for a usage or syntax error.
#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "control/resources/Lumo_TLB.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ErrorInfo.h"
#include "platform/com/Registration.h"
#include "platform/com/Utf16.h"
#include "tools/lumoctl/ScriptRunner.h"
#include "tools/lumoctl/Statement.h"
#include "tools/lumoctl/StderrMessageBoxes.h"

namespace {

using lumo::com::ComPtr;
using lumo::lumoctl::errorLine;

constexpr const char* kUsage =
    "usage: lumoctl [--answer yes|no] [--display] [STATEMENT ...]\n"
    "statements: get NAME | put NAME VALUE | call NAME [ARG ...]\n"
    "without statements, they are read from standard input, one per line\n";

// Standard error belongs to lumoctl's own lines (box:, error, lumoctl:), which scripts read:
// Qt's chatter (debug, info, warnings such as a missing runtime folder) stays out of it, its
// critical and fatal messages are kept.
void qtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "qt: " << message.toStdString() << std::endl;
}

int usage(const std::string& message) {
    std::cerr << "lumoctl: " << message << '\n' << kUsage;
    return 2;
}

ComPtr<IDispatch> createControl() {
    const std::u16string progId = lumo::com::utf8ToUtf16(LumoMainProgID);
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    ComPtr<IDispatch> control;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              control.putVoid());
    if (FAILED(hr)) {
        std::string description = lumo::com::takeErrorDescription();
        if (description.empty()) description = std::string("Cannot create ") + LumoMainProgID;
        std::cerr << errorLine(hr, description) << std::endl;
        return nullptr;
    }
    return control;
}

}  // namespace

int main(int argc, char** argv) {
    bool answerYes = true;
    bool display = false;
    std::vector<std::string> statements;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--answer") {
            if (i + 1 >= argc) return usage("--answer needs yes or no");
            const std::string a = argv[++i];
            if (a != "yes" && a != "no") return usage("--answer needs yes or no, not " + a);
            answerYes = a == "yes";
        } else if (options && arg == "--display") {
            display = true;
        } else if (options && (arg == "--help" || arg == "-h")) {
            std::cout << kUsage;
            return 0;
        } else if (options && arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return usage("unknown option " + arg);
        } else {
            options = false;
            statements.push_back(arg);
        }
    }

    // No display unless one is asked for; a platform the caller chose is kept.
    if (!display && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt sees only the program name, so that statements are never taken for Qt options.
    qInstallMessageHandler(qtMessages);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);

    const bool fromStdin = statements.empty();
    int status = 0;
    {
        ComPtr<IDispatch> control = createControl();
        if (!control) return 1;
        if (auto boxes = control.query<ILumoMessageBoxes>()) {
            auto handler =
                lumo::com::makeObject<lumo::lumoctl::StderrMessageBoxes>(std::cerr, answerYes);
            boxes->SetMessageBoxHandler(handler.get());
        }
        lumo::lumoctl::ScriptRunner runner(control.get(), std::cout, std::cerr);

        std::size_t number = 0;
        auto runLine = [&](const std::string& line) -> bool {
            ++number;
            try {
                auto statement = lumo::lumoctl::parseStatement(line);
                if (!statement) return true;
                const bool ok = runner.run(*statement);
                QCoreApplication::processEvents();
                if (!ok) status = 1;
                return ok;
            } catch (const lumo::lumoctl::StatementError& e) {
                std::cerr << "lumoctl: " << (fromStdin ? "line " : "statement ") << number << ": "
                          << e.what() << std::endl;
                status = 2;
                return false;
            }
        };
        if (fromStdin) {
            std::string line;
            while (std::getline(std::cin, line)) {
                if (!runLine(line)) break;
            }
        } else {
            for (const std::string& s : statements) {
                if (!runLine(s)) break;
            }
        }
        if (auto boxes = control.query<ILumoMessageBoxes>()) boxes->SetMessageBoxHandler(nullptr);
    }
    return status;
}
