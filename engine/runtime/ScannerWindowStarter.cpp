#include "engine/runtime/ScannerWindowStarter.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <system_error>

#include "platform/win/SystemDirectory.h"

namespace fs = std::filesystem;

namespace lumo::engine {

namespace {

constexpr const char* kProgramName = "lumoscanner";

std::string normalised(std::string text) {
    auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool runnable(const fs::path& file) {
    std::error_code ec;
    return fs::is_regular_file(file, ec) && ::access(file.c_str(), X_OK) == 0;
}

bool startDetached(const ScannerWindowRequest& request) {
    QProcess process;
    process.setProgram(QString::fromStdString(request.program));
    QStringList arguments;
    for (const std::string& a : request.arguments) arguments << QString::fromStdString(a);
    process.setArguments(arguments);
    if (request.dropPlatformVariable) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(environment);
    }
    // The window must not hold the program's output open (a caller reading it to the end).
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

struct StarterState {
    ScannerWindowStarterFunction starter = startDetached;
    bool attempted = false;
};

StarterState& starterState() {
    static StarterState state;
    return state;
}

}  // namespace

bool headlessPlatform(const std::string& platformName) {
    const std::string name = normalised(platformName);
    return name.empty() || name == "offscreen" || name == "minimal" || name == "minimalegl";
}

bool scannerWindowWanted(const std::string& setting, const std::string& platformName) {
    const std::string mode = normalised(setting);
    if (mode == "hide" || mode == "off") return false;
    if (mode == "show") return true;
    return !headlessPlatform(platformName);
}

fs::path findScannerWindowProgram() {
    std::vector<fs::path> folders;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) folders.push_back(exe.parent_path());
    folders.emplace_back(
        win::systemDirectoryOf(reinterpret_cast<const void*>(&findScannerWindowProgram)));
    for (const fs::path& folder : folders) {
        const fs::path candidate = folder / kProgramName;
        if (runnable(candidate)) return candidate;
    }
    const QString inPath = QStandardPaths::findExecutable(QString::fromLatin1(kProgramName));
    return inPath.isEmpty() ? fs::path() : fs::path(inPath.toStdString());
}

ScannerWindowStarterFunction setScannerWindowStarter(ScannerWindowStarterFunction starter) {
    StarterState& state = starterState();
    ScannerWindowStarterFunction before = state.starter;
    state.starter = starter ? std::move(starter) : ScannerWindowStarterFunction(startDetached);
    state.attempted = false;
    return before;
}

bool startScannerWindowOnce(const EngineSettings& settings, const fs::path& program) {
    StarterState& state = starterState();
    if (state.attempted) return false;
    const std::string platform = QGuiApplication::platformName().toStdString();
    if (!scannerWindowWanted(settings.scannerWindow, platform)) return false;
    state.attempted = true;

    ScannerWindowRequest request;
    const fs::path found = program.empty() ? findScannerWindowProgram() : program;
    if (found.empty() || !runnable(found)) return false;  // a convenience: no word about it
    request.program = found.string();
    std::error_code ec;
    fs::path feed = fs::absolute(settings.feedFolder(), ec);
    if (ec) feed = settings.feedFolder();
    request.arguments = {"--feed",       feed.string(),
                         "--gallery",    settings.galleryFolder().string(),
                         "--cards",      settings.cardShelfFolder().string(),
                         "--parent-pid", std::to_string(::getpid())};
    request.dropPlatformVariable = headlessPlatform(platform);
    try {
        return state.starter(request);
    } catch (...) {
        return false;
    }
}

}  // namespace lumo::engine
