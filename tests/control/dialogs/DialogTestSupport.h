// Shared pieces of the capture dialog tests: the process's QApplication and a current folder
// holding the five wave files, so that PlaySound finds them.
#pragma once

#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <string>

namespace lumo::test {

inline void ensureDialogApplication() {
    static int argc = 1;
    static char name[] = "test_control_dialogs";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance()) return;
    // Real text on the offscreen platform (its plain form draws boxes).
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:fontconfig");
    new QApplication(argc, argv);  // lives until the process ends
}

// Makes a fresh folder with (empty) wave files of the five names current for its lifetime.
class SoundFolder {
public:
    SoundFolder() : m_previous(std::filesystem::current_path()) {
        m_folder =
            std::filesystem::temp_directory_path() / ("lumo-dialogs-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_folder);
        for (const char* name :
             {"WaitFor.wav", "Acquired.wav", "RegSuc.wav", "RegFail.wav", "V-OK.wav"})
            std::ofstream(m_folder / name) << "RIFF";
        std::filesystem::current_path(m_folder);
    }
    ~SoundFolder() {
        std::filesystem::current_path(m_previous);
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    const std::filesystem::path& path() const { return m_folder; }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_folder;
};

}  // namespace lumo::test
